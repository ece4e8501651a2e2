// morv.splash as the host sees it: made in "nobox" without arguments, "open" shows the package
// on the console, "close" is harmless whether or not anything is open.
#include <gtest/gtest.h>

#include <string>

#include "module_fixture.h"
#include "morv_version.h"
#include "morvhost/host.hpp"

namespace {

const std::string banner = std::string("morvkit ") + MORV_VERSION + ": " + MORV_DESCRIPTION;

class Splash : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        morvtest::load_module("morv.splash", morvtest::Folder::extensions);
    }
    void SetUp() override { morvhost::Host::get().clear_console(); }

    static t_object *make() {
        return static_cast<t_object *>(
            object_new_typed(CLASS_NOBOX, gensym("morv.splash"), 0, nullptr));
    }
    static std::vector<morvhost::ConsoleLine> console() { return morvhost::Host::get().console(); }
};

TEST_F(Splash, OpenShowsNameVersionAndDescription) {
    t_object *splash = make();
    ASSERT_NE(splash, nullptr);
    object_method(splash, gensym("open"));
    ASSERT_EQ(console().size(), 1u);
    EXPECT_EQ(console()[0].kind, morvhost::ConsoleLine::Kind::post);
    EXPECT_EQ(console()[0].text, banner);
    EXPECT_EQ(console()[0].object, splash);
    object_free(splash);
}

TEST_F(Splash, CloseIsHarmlessWhenNothingIsOpen) {
    t_object *splash = make();
    ASSERT_NE(splash, nullptr);
    object_method(splash, gensym("close"));
    object_method(splash, gensym("close"));
    EXPECT_TRUE(console().empty());
    object_free(splash);
}

TEST_F(Splash, OpensAgainAfterClosingAndWhileOpen) {
    t_object *splash = make();
    ASSERT_NE(splash, nullptr);
    object_method(splash, gensym("open"));
    object_method(splash, gensym("open"));
    object_method(splash, gensym("close"));
    object_method(splash, gensym("open"));
    EXPECT_EQ(console().size(), 3u);
    object_free(splash);  // freed while open
}

TEST_F(Splash, IsNotABoxClass) {
    EXPECT_EQ(morvhost::Box::create("morv.splash"), nullptr);
}

}  // namespace
