#include <gtest/gtest.h>

#include <set>

#include "errors.hpp"
#include "modules.hpp"

namespace morvkit {
namespace {

using std::filesystem::path;

TEST(ModuleSearch, UserFoldersThenInstalledPackageThenBuildTree) {
    const auto candidates =
        module_candidates({"/a", "/b"}, "/opt/mk/bin/morvkit",
                          ModuleFolders{"/build/externals", "/build/extensions"});
    ASSERT_EQ(candidates.size(), 4u);
    EXPECT_EQ(candidates[0].externals, "/a/externals");
    EXPECT_EQ(candidates[1].extensions, "/b/extensions");
    EXPECT_EQ(candidates[2].externals, "/opt/mk/lib/morvkit/externals");
    EXPECT_EQ(candidates[3].externals, "/build/externals");
    EXPECT_EQ(module_candidates({}, "", std::nullopt).size(), 0u);
}

TEST(ModuleSearch, FirstExistingPackageWins) {
    const auto candidates =
        module_candidates({}, "/opt/mk/bin/morvkit", ModuleFolders{"/build/externals", "/build/x"});
    const std::set<path> folders{"/build/externals", "/opt/mk/lib/morvkit/externals"};
    const auto exists = [&](const path &p) { return folders.count(p) > 0; };
    EXPECT_EQ(choose_modules(candidates, 0, exists).externals, "/opt/mk/lib/morvkit/externals");
    const auto only_build = [](const path &p) { return p == "/build/externals"; };
    EXPECT_EQ(choose_modules(candidates, 0, only_build).extensions, "/build/x");
}

TEST(ModuleSearch, AUserFolderWithoutExternalsIsAnError) {
    const auto candidates = module_candidates({"/wrong"}, "/bin/morvkit",
                                              ModuleFolders{"/build/externals", "/build/x"});
    try {
        choose_modules(candidates, 1, [](const path &p) { return p == "/build/externals"; });
        FAIL();
    } catch (const Error &e) {
        EXPECT_EQ(e.status(), ExitStatus::usage);
        EXPECT_EQ(std::string(e.what()), "--modules: '/wrong' has no externals folder");
    }
    try {
        choose_modules(candidates, 0, [](const path &) { return false; });
        FAIL();
    } catch (const Error &e) {
        EXPECT_EQ(e.status(), ExitStatus::analysis);
    }
}

}  // namespace
}  // namespace morvkit
