// morv.centroid~ in a host where morv.splash cannot be made: creation must fail with the
// package's message, posted against the half-built instance, and leave nothing behind (the
// sanitizer build checks the leak).
#include "host_fixture.h"

namespace {

using namespace centroid_test;

TEST(CentroidWithoutSplash, CreationFailsWithTheMessageAndNoInstance) {
    load_centroid();
    morvhost::Host::get().clear_console();
    for (const char *text : {"morv.centroid~", "morv.centroid~ 3 4"}) {
        EXPECT_EQ(create_inside(text), nullptr);
        EXPECT_EQ(morvhost::Box::create(text), nullptr);
    }
    int reported = 0;
    for (const auto &line : morvhost::Host::get().console()) {
        if (line.kind == morvhost::ConsoleLine::Kind::error &&
            line.text == "morvkit is missing some key element, check the error above!") {
            ++reported;
            EXPECT_EQ(line.class_name, "morv.centroid~");
            EXPECT_NE(line.object, nullptr);
        }
    }
    EXPECT_EQ(reported, 4);
}

}  // namespace
