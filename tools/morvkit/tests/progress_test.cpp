#include <gtest/gtest.h>

#include <limits>

#include "output/progress.hpp"

namespace morvkit {
namespace {

TEST(Progress, ShownOnlyForLongInputsOnATerminalWhenNotQuiet) {
    EXPECT_TRUE(progress_wanted(false, true, 60));
    EXPECT_FALSE(progress_wanted(true, true, 60));
    EXPECT_FALSE(progress_wanted(false, false, 60));
    EXPECT_FALSE(progress_wanted(false, true, progress_min_seconds));
    EXPECT_FALSE(progress_wanted(false, true, std::numeric_limits<double>::quiet_NaN()));
}

TEST(Progress, TextFillsInProportionAndClamps) {
    EXPECT_EQ(progress_text(0, 10), "[----------]   0%");
    EXPECT_EQ(progress_text(0.5, 10), "[#####-----]  50%");
    EXPECT_EQ(progress_text(1, 10), "[##########] 100%");
    EXPECT_EQ(progress_text(3, 10), progress_text(1, 10));
    EXPECT_EQ(progress_text(-1, 10), progress_text(0, 10));
    EXPECT_EQ(progress_text(std::numeric_limits<double>::quiet_NaN(), 4), "[----]   0%");
    EXPECT_EQ(progress_text(0.25, 4, 200), "[#---]  25%  about 3 min 20 s left");
    EXPECT_EQ(progress_text(0.25, 4, -1), progress_text(0.25, 4));
    EXPECT_EQ(progress_count_text(200), "3 min 20 s of audio analysed");  // length unknown
}

}  // namespace
}  // namespace morvkit
