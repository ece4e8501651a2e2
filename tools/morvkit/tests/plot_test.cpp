#include <gtest/gtest.h>

#include <limits>

#include "base/errors.hpp"
#include "output/plot.hpp"
#include "wav_fixture.hpp"

namespace morvkit {
namespace {

using testing::read_text;
using testing::ScratchDir;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

TEST(Ticks, LinearStepsAreRoundAndCoverTheRange) {
    EXPECT_EQ(linear_ticks(0, 1, 5),
              (std::vector<double>{0, 0.2, 0.4, 0.6000000000000001, 0.8, 1}));
    EXPECT_EQ(linear_ticks(0, 4.7, 10),
              (std::vector<double>{0, 0.5, 1, 1.5, 2, 2.5, 3, 3.5, 4, 4.5}));
    EXPECT_EQ(linear_ticks(130, 970, 4), (std::vector<double>{200, 400, 600, 800}));
    EXPECT_TRUE(linear_ticks(1, 1, 5).empty());
    EXPECT_TRUE(linear_ticks(0, nan, 5).empty());
    EXPECT_TRUE(linear_ticks(0, 1, 0).empty());
}

TEST(Ticks, LogTicksAreOneTwoFive) {
    EXPECT_EQ(log_ticks(40, 2500), (std::vector<double>{50, 100, 200, 500, 1000, 2000}));
    EXPECT_EQ(log_ticks(100, 100.5), (std::vector<double>{100}));
    EXPECT_TRUE(log_ticks(0, 100).empty());
    EXPECT_TRUE(log_ticks(10, std::numeric_limits<double>::infinity()).empty());
}

TEST(Ticks, LabelsDropFloatingPointNoise) {
    EXPECT_EQ(tick_label(0.6000000000000001), "0.6");
    EXPECT_EQ(tick_label(2000), "2000");
    EXPECT_EQ(tick_label(0.05), "0.05");
}

TEST(PlotFormat, ChosenByExtension) {
    EXPECT_EQ(plot_format("a.svg"), PlotFormat::svg);
    EXPECT_EQ(plot_format("dir.x/A.PNG"), PlotFormat::png);
    EXPECT_EQ(plot_format("a.pdf"), std::nullopt);
    EXPECT_EQ(plot_format("svg"), std::nullopt);
}

PlotInput awkward_input() {
    PlotInput input;
    input.title = "test";
    input.pitch_time = {0, 0.1, 0.2, 0.3};
    input.frequency = {220, 0, nan, -5};  // only the first can sit on a log axis
    input.periodicity = input.periodicity_line = {0.9, nan, 2, 0.5};
    input.periodicity_time = input.pitch_time;
    input.centroid_time = {0.05};
    input.centroid = {nan};
    return input;
}

TEST(WritePlot, SvgAndPngFilesAreComplete) {
    ScratchDir dir;
    write_plot(dir / "p.svg", awkward_input());
    const auto svg = read_text(dir / "p.svg");
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("</svg>"), std::string::npos);
    write_plot(dir / "p.png", PlotInput{});
    EXPECT_EQ(read_text(dir / "p.png").substr(0, 8), "\x89PNG\r\n\x1a\n");
}

TEST(WritePlot, RefusesUnknownFormatsAndUnwritablePaths) {
    ScratchDir dir;
    try {
        write_plot(dir / "p.pdf", awkward_input());
        FAIL();
    } catch (const Error &e) {
        EXPECT_EQ(e.status(), ExitStatus::usage);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "p.pdf"));
    try {
        write_plot(dir / "none" / "p.svg", awkward_input());
        FAIL();
    } catch (const Error &e) {
        EXPECT_EQ(e.status(), ExitStatus::output);
    }
}

}  // namespace
}  // namespace morvkit
