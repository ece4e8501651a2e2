#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "demo/demo_report.hpp"

namespace morvkit {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

TEST(Cents, SignedDistanceAndInvalidInputs) {
    EXPECT_DOUBLE_EQ(cents(440, 220), 1200);
    EXPECT_DOUBLE_EQ(cents(220, 440), -1200);
    EXPECT_TRUE(std::isnan(cents(0, 220)));
    EXPECT_TRUE(std::isnan(cents(220, -1)));
    EXPECT_TRUE(std::isnan(cents(nan, 220)));
}

TEST(GrossError, MoreThanFiftyCentsOrNoEstimate) {
    const double up49 = 220 * std::exp2(49.0 / 1200), up51 = 220 * std::exp2(51.0 / 1200);
    EXPECT_FALSE(is_gross_error(up49, 220));
    EXPECT_TRUE(is_gross_error(up51, 220));
    EXPECT_TRUE(is_gross_error(220 / std::exp2(51.0 / 1200), 220));
    EXPECT_TRUE(is_gross_error(0, 220));
    EXPECT_TRUE(is_gross_error(nan, 220));
    EXPECT_TRUE(is_gross_error(440, 220));  // an octave error is the classic gross error
}

// Two 1-second notes and a second of silence at 1000 Hz, with frames of 0.1 s.
Phrase three_segments() {
    Phrase p;
    p.samplerate = 1000;
    p.samples.assign(3000, 0.0);
    p.true_pitch.assign(1000, 100.0);
    p.true_pitch.insert(p.true_pitch.end(), 1000, 200.0);
    p.true_pitch.insert(p.true_pitch.end(), 1000, 0.0);
    p.segments = {{"low", 0, 1, true}, {"high", 1, 2, true}, {"silence", 2, 3, false}};
    return p;
}

TEST(EvaluateDemo, CountsOnlyFramesInsideOneVoicedSegment) {
    Table pitch({"time", "frequency"});
    pitch.add_row({0.05, 100});  // frame reaches before the start: not counted
    pitch.add_row({0.5, 100});   // good
    pitch.add_row({0.9, 300});   // gross error
    pitch.add_row({1.05, 300});  // straddles low/high: not counted
    pitch.add_row({1.5, 201});   // good
    pitch.add_row({2.5, 1000});  // silence: not counted
    Table centroid({"time", "centroid"});
    centroid.add_row({0.2, 1000});
    centroid.add_row({0.3, 900});
    centroid.add_row({0.4, 2000});
    centroid.add_row({2.5, 50});

    const auto report = evaluate_demo(three_segments(), pitch, 0.1, centroid);
    EXPECT_EQ(report.voiced, 3);
    EXPECT_EQ(report.gross_errors, 1);
    EXPECT_DOUBLE_EQ(report.gross_error_share(), 1.0 / 3);
    ASSERT_EQ(report.segments.size(), 3u);
    EXPECT_EQ(report.segments[0].voiced, 2);
    EXPECT_EQ(report.segments[0].gross_errors, 1);
    EXPECT_EQ(report.segments[0].true_low, 100);
    EXPECT_EQ(report.segments[1].estimate_median, 201);
    EXPECT_DOUBLE_EQ(report.segments[0].centroid_median, 1000);
    EXPECT_TRUE(std::isnan(report.segments[1].centroid_median));
    EXPECT_EQ(report.segments[2].voiced, 0);
    EXPECT_EQ(report.segments[2].true_high, 0);
}

TEST(EvaluateDemo, JudgesAgainstThePitchAtTheFrameCentre) {
    Phrase p = three_segments();
    p.segments = {{"rise", 0, 2, true}, {"silence", 2, 3, false}};
    Table pitch({"time", "frequency"});
    pitch.add_row({1.2, 200});  // the frame 0.4..1.2 centres on 0.8 s, where the truth is 100
    const auto report = evaluate_demo(p, pitch, 0.8, Table({"time", "centroid"}));
    EXPECT_EQ(report.voiced, 1);
    EXPECT_EQ(report.gross_errors, 1);
}

TEST(EvaluateDemo, ReportPrintsEverySegmentAndTheShare) {
    Table pitch({"time", "frequency"});
    pitch.add_row({0.5, 100});
    pitch.add_row({0.6, 150});
    const auto text =
        format_demo_report(evaluate_demo(three_segments(), pitch, 0.1, Table({"time", "c"})));
    EXPECT_NE(text.find("low"), std::string::npos);
    EXPECT_NE(text.find("silence"), std::string::npos);
    EXPECT_NE(text.find("gross-error share: 50.00% (1 of 2 voiced"), std::string::npos);
    const auto none = format_demo_report(
        evaluate_demo(three_segments(), Table({"time", "f"}), 0.1, Table({"time", "c"})));
    EXPECT_NE(none.find("no voiced analyses"), std::string::npos);
}

}  // namespace
}  // namespace morvkit
