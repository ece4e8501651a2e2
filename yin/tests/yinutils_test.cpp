// The lag estimator on whole frames, and the Hann window.
#include "yinutils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <numbers>
#include <vector>

#include "yinutils_dips.h"

namespace {

// Beyond acf[W - 1]: a value that would make a spurious dip at lag W - 1 if it were ever read
// as a correlation, and that must still be there afterwards.
constexpr float kSentinel = -1e30f;
constexpr int kGuard = 4;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

struct Estimate {
    double lag;
    double aperiodicity;
    std::vector<float> acf;
};

// The frame must hold exactly 2W - 1 samples, so an address sanitizer catches any read beyond.
Estimate estimate(const std::vector<float> &frame, int w, double threshold = 0.1,
                  double max_aperiodicity = 1.0) {
    const std::size_t lags = w > 0 ? static_cast<std::size_t>(w) : 0;
    Estimate e{0.0, -1.0, std::vector<float>(lags + kGuard, kSentinel)};
    e.lag = yin_calculate_lag(frame.data(), e.acf.data(), w, threshold, max_aperiodicity,
                              &e.aperiodicity);
    for (std::size_t i = lags; i < e.acf.size(); ++i) {
        EXPECT_EQ(e.acf[i], kSentinel) << "acf written beyond lag W - 1, at " << i;
    }
    return e;
}

// A sum of harmonics of a fundamental with a period of `period` samples, 2W - 1 samples long.
std::vector<float> tone(int w, double period, const std::vector<double> &amplitudes,
                        double decay = 0.0) {
    std::vector<float> frame(static_cast<std::size_t>(2 * w - 1));
    for (std::size_t n = 0; n < frame.size(); ++n) {
        double x = 0.0;
        for (std::size_t h = 0; h < amplitudes.size(); ++h) {
            const double k = static_cast<double>(h + 1);
            x += amplitudes[h] *
                 std::sin(2.0 * std::numbers::pi * k * static_cast<double>(n) / period + 0.7 * k);
        }
        frame[n] = static_cast<float>(x * std::exp(-decay * static_cast<double>(n)));
    }
    return frame;
}

long double direct_difference(const std::vector<float> &frame, int w, int lag) {
    long double sum = 0.0L;
    for (int p = 0; p < w; ++p) {
        const long double step = static_cast<long double>(frame[p]) - frame[p + lag];
        sum += step * step;
    }
    return sum;
}

TEST(LagEstimator, SilenceGivesTheDefault) {
    const int w = 186;
    const Estimate e = estimate(std::vector<float>(2 * w - 1, 0.0f), w);
    EXPECT_EQ(e.lag, 186.0);
    EXPECT_EQ(e.aperiodicity, 1.0);
    for (int i = 0; i < w; ++i) {
        EXPECT_EQ(e.acf[i], 0.0f) << i;
    }
}

TEST(LagEstimator, ShortWindowsCorrelateWithoutSearching) {
    for (int w = 1; w <= 3; ++w) {
        std::vector<float> frame(static_cast<std::size_t>(2 * w - 1));
        for (std::size_t i = 0; i < frame.size(); ++i) {
            frame[i] = i % 2 == 0 ? 3.0f : -2.0f;  // as periodic as it gets
        }
        const Estimate e = estimate(frame, w);
        EXPECT_EQ(e.lag, static_cast<double>(w));
        EXPECT_EQ(e.aperiodicity, 1.0);
        for (int lag = 0; lag < w; ++lag) {
            float expected = 0.0f;
            for (int p = 0; p < w; ++p) {
                expected += frame[lag + p] * frame[p];  // small integers: exact
            }
            EXPECT_EQ(e.acf[lag], expected) << "w " << w << " lag " << lag;
        }
    }
}

TEST(LagEstimator, NonPositiveWindowReadsAndWritesNothing) {
    for (int w : {0, -1, -186}) {
        const Estimate e = estimate({}, w);
        EXPECT_EQ(e.lag, static_cast<double>(w));
        EXPECT_EQ(e.aperiodicity, 1.0);
    }
}

TEST(LagEstimator, SmallestSearchExaminesLagTwoOnly) {
    // Period 2: d = 16, 0, 16, a perfect dip at lag 2.
    Estimate e = estimate({1, -1, 1, -1, 1, -1, 1}, 4);
    EXPECT_EQ(e.lag, 2.0);
    EXPECT_EQ(e.aperiodicity, 0.0);
    // Period 3: d = 5.75, 4.5, 0 falls towards lag 3, which has no right neighbour to be a dip.
    e = estimate({1, -0.5, 0, 1, -0.5, 0, 1}, 4);
    EXPECT_EQ(e.lag, 4.0);
    EXPECT_EQ(e.aperiodicity, 1.0);
}

TEST(LagEstimator, LeavesTheFrameEnergyInLagZero) {
    const int w = 186;
    const auto frame = tone(w, 37.3, {1.0, 0.5}, 0.01);
    double energy = 0.0;
    for (int p = 0; p < w; ++p) {
        energy += static_cast<double>(frame[p]) * frame[p];
    }
    EXPECT_FLOAT_EQ(estimate(frame, w).acf[0], static_cast<float>(energy));
}

struct PeriodCase {
    int w;
    double period;
    std::vector<double> amplitudes;
};

void PrintTo(const PeriodCase &c, std::ostream *os) {
    *os << "W " << c.w << ", period " << c.period << ", " << c.amplitudes.size() << " harmonics";
}

class PeriodicFrames : public ::testing::TestWithParam<PeriodCase> {};

TEST_P(PeriodicFrames, FindTheFundamentalPeriod) {
    const PeriodCase &c = GetParam();
    const Estimate e = estimate(tone(c.w, c.period, c.amplitudes), c.w);
    // Near the period itself, not a multiple of it, and hardly aperiodic.  At periods of a few
    // samples the parabola through three lags fits the sharp dip less well.
    EXPECT_NEAR(e.lag, c.period, 0.05);
    EXPECT_LT(e.aperiodicity, c.period < 5.0 ? 0.1 : 0.01);
    EXPECT_GE(e.aperiodicity, 0.0);
}

const std::vector<double> kSine = {1.0};
const std::vector<double> kRich = {1.0, 0.8, 0.6, 0.4, 0.3};

INSTANTIATE_TEST_SUITE_P(
    WholeAndFractionalPeriods, PeriodicFrames,
    ::testing::Values(PeriodCase{186, 4.0, kSine}, PeriodCase{186, 5.0, kSine},
                      PeriodCase{186, 10.0, kSine}, PeriodCase{186, 37.0, kSine},
                      PeriodCase{186, 60.0, kSine}, PeriodCase{186, 93.0, kSine},
                      PeriodCase{186, 4.5, kSine}, PeriodCase{186, 10.25, kSine},
                      PeriodCase{186, 37.3, kSine}, PeriodCase{186, 62.75, kSine},
                      PeriodCase{186, 90.2, kSine}, PeriodCase{32, 7.7, kSine},
                      PeriodCase{186, 40.0, kRich}, PeriodCase{186, 47.6, kRich},
                      PeriodCase{186, 23.3, kRich}, PeriodCase{370, 151.4, kRich},
                      PeriodCase{1000, 441.0, kRich}, PeriodCase{2207, 1102.5, kRich}));

TEST(LagEstimator, DifferencesMatchTheDirectSumOnChangingEnergy) {
    // Decaying and growing tones change their energy from lag to lag, which the incremental
    // energies must follow; compare with differences summed directly in long double.
    for (const double decay : {0.01, -0.008}) {
        const int w = 186;
        const auto frame = tone(w, 41.3, kRich, decay);
        std::vector<double> d(static_cast<std::size_t>(w));
        for (int lag = 1; lag < w; ++lag) {
            d[static_cast<std::size_t>(lag)] =
                static_cast<double>(direct_difference(frame, w, lag));
        }
        double expected_aperiodicity = 0.0;
        const double expected_lag = yinutils::yin_search_dips(
            w, d[1], d[2], [&](int j) { return d[static_cast<std::size_t>(j + 1)]; }, 0.1, 1.0,
            &expected_aperiodicity);
        const Estimate e = estimate(frame, w);
        EXPECT_NEAR(e.lag, expected_lag, 1e-4) << "decay " << decay;
        EXPECT_NEAR(e.aperiodicity, expected_aperiodicity, 1e-4) << "decay " << decay;
        EXPECT_GT(e.aperiodicity, 0.01) << "the test needs a frame that is not periodic";
    }
}

TEST(LagEstimator, NormalisedDifferenceIsTheCumulativeMeanOfTheDirectSum) {
    // The same correlation and energies as the search: d'(tau) = d(tau) tau / (d(1) + .. + d(tau))
    // against differences summed directly, and the same acf; silence is 1 throughout.
    for (const double decay : {0.01, -0.008}) {
        const int w = 186;
        const auto frame = tone(w, 41.3, kRich, decay);
        std::vector<float> acf(static_cast<std::size_t>(w) + kGuard, kSentinel);
        std::vector<double> normalised(static_cast<std::size_t>(w) + kGuard, -7.0);
        yin_normalised_difference(frame.data(), acf.data(), w, normalised.data());
        EXPECT_EQ(normalised[0], 1.0);
        long double sum = 0.0L;
        for (int lag = 1; lag < w; ++lag) {
            const long double d = direct_difference(frame, w, lag);
            sum += d;
            EXPECT_NEAR(normalised[static_cast<std::size_t>(lag)],
                        static_cast<double>(d * lag / sum), 1e-5)
                << "lag " << lag;
        }
        const std::vector<float> searched = estimate(frame, w).acf;
        for (std::size_t i = 0; i < acf.size(); ++i) EXPECT_EQ(acf[i], searched[i]) << i;
        for (std::size_t i = static_cast<std::size_t>(w); i < normalised.size(); ++i)
            EXPECT_EQ(normalised[i], -7.0) << "written beyond lag W - 1, at " << i;
    }
    std::vector<double> silent(8, -7.0);
    std::vector<float> acf(8);
    yin_normalised_difference(std::vector<float>(15, 0.0f).data(), acf.data(), 8, silent.data());
    for (const double value : silent) EXPECT_EQ(value, 1.0);
}

TEST(LagEstimator, ThresholdAndLimitReachTheSearch) {
    // A strong third harmonic makes shallower dips at a third and two thirds of the period.
    const int w = 186;
    const auto frame = tone(w, 40.0, {1.0, 0.0, 1.5});
    Estimate e = estimate(frame, w, 0.0);  // the deepest dip: the period
    EXPECT_NEAR(e.lag, 40.0, 0.05);
    EXPECT_LT(e.aperiodicity, 0.01);
    e = estimate(frame, w, 1.0);  // the first candidate
    EXPECT_NEAR(e.lag, 40.0 / 3.0, 0.5);
    EXPECT_GT(e.aperiodicity, 0.1);
    // No value is below a limit of 0, not even a clamped one.
    e = estimate(frame, w, 0.1, 0.0);
    EXPECT_EQ(e.lag, 186.0);
    EXPECT_EQ(e.aperiodicity, 1.0);
}

TEST(LagEstimator, NaNSamplesNeverMakeADip) {
    const int w = 186;
    EXPECT_EQ(estimate(std::vector<float>(2 * w - 1, kNaN), w).lag, 186.0);
    // A NaN within the first W samples enters every correlation.
    for (std::size_t at : {0u, 100u, 185u}) {
        auto frame = tone(w, 37.0, kSine);
        frame[at] = kNaN;
        const Estimate e = estimate(frame, w);
        EXPECT_EQ(e.lag, 186.0) << at;
        EXPECT_EQ(e.aperiodicity, 1.0) << at;
    }
    // The last sample enters only d(W - 1), which is never a dip: the period is still found.
    auto frame = tone(w, 37.0, kSine);
    frame.back() = kNaN;
    EXPECT_NEAR(estimate(frame, w).lag, 37.0, 0.05);
}

std::vector<float> window(int n) {
    float *w = hanning_window(n);
    EXPECT_NE(w, nullptr);
    std::vector<float> values(w, w + n);
    std::free(w);
    return values;
}

TEST(HanningWindow, SmallSizes) {
    EXPECT_EQ(window(1), std::vector<float>{0.0f});
    const auto four = window(4);
    ASSERT_EQ(four.size(), 4u);
    EXPECT_FLOAT_EQ(four[0], 0.0f);
    EXPECT_FLOAT_EQ(four[1], 0.5f);
    EXPECT_FLOAT_EQ(four[2], 1.0f);
    EXPECT_FLOAT_EQ(four[3], 0.5f);
}

TEST(HanningWindow, IsThePeriodicForm) {
    // The divisor is n, not n - 1: element 0 is 0, and n / 2 is 1 for even n.
    for (int n : {8, 1001}) {
        const auto w = window(n);
        for (int i = 0; i < n; ++i) {
            const double expected = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / n);
            EXPECT_NEAR(w[i], expected, 1e-7) << "n " << n << " i " << i;
        }
    }
    EXPECT_EQ(window(8)[4], 1.0f);
}

TEST(HanningWindow, NegativeSizeGivesNull) {
    EXPECT_EQ(hanning_window(-1), nullptr);
    EXPECT_EQ(hanning_window(std::numeric_limits<int>::min()), nullptr);
    std::free(hanning_window(0));  // null or a block of its own: either may be freed
}

}  // namespace
