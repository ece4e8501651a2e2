#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "output/pitch_presentation.hpp"

namespace morvkit {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

TEST(PitchPresentation, UnitsAndLevels) {
    EXPECT_DOUBLE_EQ(midi_note(440, 440), 69);
    EXPECT_DOUBLE_EQ(midi_note(261.6255653005986, 440), 60);
    EXPECT_DOUBLE_EQ(midi_note(442, 442), 69);
    EXPECT_NEAR(midi_note(440, 442), 69 - 12 * std::log2(442.0 / 440), 1e-12);
    for (double bad : {0.0, -1.0, nan, std::numeric_limits<double>::infinity()}) {
        EXPECT_TRUE(std::isnan(midi_note(bad, 440))) << bad;
        EXPECT_TRUE(std::isnan(midi_note(440, bad))) << bad;
    }
    EXPECT_DOUBLE_EQ(level_dbfs(1), 0);
    EXPECT_DOUBLE_EQ(level_dbfs(0.001), -60);
    EXPECT_EQ(level_dbfs(0), -std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(level_dbfs(-1)));
}

TEST(PitchPresentation, GatesMarkRowsAndKeepThem) {
    const VoicingGates both{0.5, -60.0};
    EXPECT_TRUE(is_voiced(both, 0.001, 0.5));    // exactly at both gates
    EXPECT_FALSE(is_voiced(both, 0.001, 0.49));  // below one
    EXPECT_FALSE(is_voiced(both, 0.0009, 0.9));  // below the other
    EXPECT_FALSE(is_voiced(both, 0, 0.9));       // silence
    EXPECT_FALSE(is_voiced(both, nan, 0.9));
    EXPECT_FALSE(is_voiced({0.5, {}}, 0.1, nan));
    EXPECT_TRUE(is_voiced({}, nan, nan));  // no gate: every row

    const std::vector<double> row{0.5, 220, 0.2, 0.3};
    PitchPresentation plain;
    EXPECT_EQ(plain.columns(),
              (std::vector<std::string>{"time", "frequency", "amplitude", "periodicity"}));
    const auto same = plain.present(row);
    EXPECT_EQ(std::vector<double>(same.begin(), same.end()), row);
    EXPECT_EQ(plain.describe(), Json::object());

    PitchPresentation gated(FrequencyUnit::midi, 440, {0.25, {}});
    EXPECT_EQ(gated.columns().back(), "voiced");
    const auto shown = gated.present(row);
    EXPECT_EQ(std::vector<double>(shown.begin(), shown.end()),
              (std::vector<double>{0.5, midi_note(220, 440), 0.2, 0.3, 1}));
    EXPECT_EQ(gated.present(std::vector<double>{0.5, 220, 0.2, 0.2})[4], 0);
    EXPECT_EQ(gated.describe().dump(),
              R"({"unit":"midi","a4":440.0,"voicing":{"min_periodicity":0.25}})");
    EXPECT_EQ(PitchPresentation(FrequencyUnit::hz).describe().dump(), R"({"unit":"hz"})");
}

}  // namespace
}  // namespace morvkit
