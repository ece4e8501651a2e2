// Module loading through the registration entry only, and boxes that load their module.
#include <gtest/gtest.h>

#include <algorithm>

#include "morvhost/host.hpp"

using namespace morvhost;

namespace {

const std::filesystem::path modules = HOST_TEST_MODULES;

std::filesystem::path module(const char *name) {
    return modules / (name + Host::module_suffix());
}

int console_count(std::string_view fragment) {
    const auto lines = Host::get().console();
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const ConsoleLine &l) {
        return l.text.find(fragment) != std::string::npos;
    }));
}

}  // namespace

TEST(Modules, TheLegacyMainEntryIsCalledOnceForAModuleThatHasNoExtMain) {
    std::string error;
    ASSERT_TRUE(Host::get().load_module(module("morvtest.mainonly"), &error)) << error;
    ASSERT_TRUE(Host::get().load_module(module("morvtest.mainonly")));  // no second call
    EXPECT_EQ(console_count("morvtest.mainonly registered"), 1);
    auto box = Box::create("morvtest.mainonly");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->class_name(), "morvtest.mainonly");
}

TEST(Modules, AModuleWithoutAnEntryIsRefusedAndNothingOfItRuns) {
    std::string error;
    EXPECT_FALSE(Host::get().load_module(module("morvtest.noentry"), &error));
    EXPECT_NE(error.find("neither ext_main nor main"), std::string::npos) << error;
    EXPECT_EQ(console_count("must never be called"), 0);
    EXPECT_FALSE(Host::get().load_module(modules / "nosuchfile.mxl", &error));
    EXPECT_NE(error.find("nosuchfile"), std::string::npos);
}

TEST(Modules, BoxesLoadTheirModuleFromTheSearchPathsAndTypeTheirArguments) {
    Host::get().add_search_path(modules);
    auto box = Box::create("morvtest.extmain 3 0.5 lefty");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(Host::get().console_has("made lefty"));
    EXPECT_TRUE(box->send_text("2"));  // an int to a float-only object becomes a float
    EXPECT_EQ(box->outlet(0).floats(), std::vector<double>{6.5});
    auto defaults = Box::create("morvtest.extmain");  // every argument defaults
    ASSERT_NE(defaults, nullptr);
    EXPECT_TRUE(defaults->send_text("4"));
    EXPECT_EQ(defaults->outlet(0).floats(), std::vector<double>{0});
    EXPECT_EQ(Box::create("morvtest.extmain notanumber"), nullptr);
    EXPECT_TRUE(Host::get().console_has("bad arguments for creation"));
}

TEST(Modules, LoadingAFolderLoadsEveryExternalInItAndReportsTheOthers) {
    Host::get().clear_console();
    EXPECT_EQ(Host::get().load_extensions(modules), 2);  // main-only and ext_main; not noentry
    EXPECT_TRUE(Host::get().console_has("neither ext_main nor main"));
    EXPECT_EQ(Host::get().load_extensions(modules / "nosuchfolder"), 0);
}

TEST(Modules, TheModuleSuffixIsThePlatformsOwn) {
#ifdef _WIN32
    EXPECT_EQ(Host::module_suffix(), ".mxe64");
#else
    EXPECT_EQ(Host::module_suffix().rfind(".mxl_", 0), 0u);  // then the processor's name
#endif
}
