#include <gtest/gtest.h>

#include <set>

#include "base/errors.hpp"
#include "analysis/modules.hpp"

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
    const auto chosen = choose_modules(candidates, 0, exists);
    ASSERT_EQ(chosen.size(), 1u);  // one package only: two builds are never mixed by accident
    EXPECT_EQ(chosen[0].externals, "/opt/mk/lib/morvkit/externals");
    const auto only_build = [](const path &p) { return p == "/build/externals"; };
    EXPECT_EQ(choose_modules(candidates, 0, only_build)[0].extensions, "/build/x");
}

TEST(ModuleSearch, EveryUserFolderIsSearchedInOrder) {
    const auto candidates = module_candidates({"/a", "/b"}, "/opt/mk/bin/morvkit", std::nullopt);
    const auto chosen = choose_modules(candidates, 2, [](const path &) { return true; });
    ASSERT_EQ(chosen.size(), 2u);
    EXPECT_EQ(chosen[0].externals, "/a/externals");
    EXPECT_EQ(chosen[1].externals, "/b/externals");
}

TEST(ModuleSearch, AUserFolderWithoutExternalsIsAnError) {
    const auto candidates = module_candidates({"/wrong"}, "/bin/morvkit",
                                              ModuleFolders{"/build/externals", "/build/x"});
    try {
        (void)choose_modules(candidates, 1, [](const path &p) { return p == "/build/externals"; });
        FAIL();
    } catch (const Error &e) {
        EXPECT_EQ(e.status(), ExitStatus::usage);
        EXPECT_EQ(std::string(e.what()), "--modules: '/wrong' has no externals folder");
    }
    try {
        (void)choose_modules(candidates, 0, [](const path &) { return false; });
        FAIL();
    } catch (const Error &e) {
        EXPECT_EQ(e.status(), ExitStatus::analysis);
    }
}

}  // namespace
}  // namespace morvkit
