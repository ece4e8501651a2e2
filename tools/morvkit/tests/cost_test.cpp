#include <gtest/gtest.h>

#include <limits>

#include "output/cost.hpp"

namespace morvkit {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

TEST(Cost, OnlyCostlyRunsAreAnnouncedNamingWhatDrivesThem) {
    struct Case {
        CostEstimate cost;
        double seconds;
        std::string expected;  // "" when no warning is due
    };
    const std::vector<Case> cases = {
        // zid~ at the defaults, 44.1 kHz: far below real time.
        {pitch_cost(44100, 64, 11025, 186, 188, 64, 5), 600, ""},
        // minfreq 0.1 at down 0: 262144 lags, about 40 ms per analysis through the FFT (the
        // direct sum would take 15 s): 7 times real time, not announced.
        {pitch_cost(44100, 64, 44100, 262144, 262144, 256, 5), 1, ""},
        // The same analysed every vector is.
        {pitch_cost(44100, 64, 44100, 262144, 262144, 64, 5), 600,
         "this run will take about 4 h 35 min, 27 times real time: zid~ compares 262144 lags per "
         "analysis (set by minfreq and down), 689 analyses per second of input"},
        // Period 0 analyses nothing by itself.
        {pitch_cost(44100, 64, 44100, 262144, 262144, 64, 0), 1, ""},
        // A vector per sample costs the host about twice real time at 192 kHz: not announced.
        {pitch_cost(192000, 1, 48000, 186, 188, 240, 5), nan, ""},
        // minfreq 2 at down 0 (22052 lags): 0.5 times real time through the FFT, 19 times directly.
        {pitch_cost(44100, 64, 44100, 22052, 22052, 256, 5), nan, ""},
        {centroid_cost(44100, 1048576, 1, 44100 * 600), 600,
         "this run will take about 81 h 25 min, 489 times real time: a 1048576-point FFT every 1 "
         "sample (--fft and --overlap)"},
        // Shorter than one frame: nothing is analysed.
        {centroid_cost(44100, 1048576, 1, 44100 * 10), 10, ""},
        {centroid_cost(44100, 1024, 256, 0), nan, ""},
    };
    for (const auto &c : cases) {
        const auto warning = cost_warning(c.cost, c.seconds);
        EXPECT_EQ(warning.value_or(""), c.expected);
    }
    EXPECT_EQ(cost_warning(centroid_cost(44100, 65536, 1, 0), nan, "'long.wav'").value_or(""),
              "'long.wav' will take about 26 times real time: a 65536-point FFT every 1 sample "
              "(--fft and --overlap)");
}

TEST(Cost, DurationsReadAsPeopleSayThem) {
    const std::vector<std::pair<double, std::string>> cases = {
        {0.4, "0 s"},
        {41.2, "41 s"},
        {59.6, "1 min 0 s"},
        {3599.4, "59 min 59 s"},
        {200, "3 min 20 s"},
        {3599.6, "1 h 0 min"},
        {9660, "2 h 41 min"},
        {nan, "an unknown time"},
        {-1, "an unknown time"},
    };
    for (const auto &[seconds, text] : cases) EXPECT_EQ(duration_text(seconds), text) << seconds;
}

}  // namespace
}  // namespace morvkit
