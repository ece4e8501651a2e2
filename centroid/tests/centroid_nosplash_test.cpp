// morv.centroid~ in a host where morv.splash cannot be made: creation must fail with the
// package's message, posted against the half-built instance, and leave nothing behind.
#include "host_fixture.h"

namespace {

using namespace centroid_test;

// The instance the error was posted against, or null when there was no such error.
t_object *reported_instance() {
    t_object *instance = nullptr;
    for (const auto &line : morvhost::Host::get().console()) {
        if (line.kind == morvhost::ConsoleLine::Kind::error &&
            line.text == "morvkit is missing some key element, check the error above!") {
            EXPECT_EQ(line.class_name, "morv.centroid~");
            EXPECT_EQ(instance, nullptr) << "reported twice";
            instance = line.object;
        }
    }
    return instance;
}

TEST(CentroidWithoutSplash, CreationFailsWithTheMessageAndNoInstance) {
    load_centroid();
    for (bool inside : {true, false}) {
        for (const char *text : {"morv.centroid~", "morv.centroid~ 3 4"}) {
            morvhost::Host::get().clear_console();
            EXPECT_EQ(inside ? create_inside(text) : morvhost::Box::create(text), nullptr);
            t_object *instance = reported_instance();
            ASSERT_NE(instance, nullptr) << text;
            // The host refuses pointers to objects it no longer holds: a half-built instance
            // left alive would still answer for its methods.
            EXPECT_EQ(object_method_direct_getmethod(instance, gensym("dsp64")), nullptr);
        }
    }
}

}  // namespace
