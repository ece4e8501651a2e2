// The analysis geometry: the documented examples, the extreme parameters, and totality over
// non-finite and huge inputs.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "yin_geometry.h"

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// The invariants every consumer of a geometry made for vectors of `vector` samples relies on.
void expect_sound(const yin_geometry &g, int32_t vector = 64) {
    EXPECT_GE(g.down, 0);
    EXPECT_LE(g.down, 3);
    EXPECT_GE(g.max_lag, 4);
    EXPECT_LE(g.max_lag, YIN_MAX_LAG);
    EXPECT_EQ(g.window_size % 4, 0);
    EXPECT_GE(g.window_size - g.max_lag, 0);
    EXPECT_LE(g.window_size - g.max_lag, 3);
    EXPECT_GE(g.hop_unit, 1);
    EXPECT_LE(g.hop_size, YIN_MAX_HOP);
    EXPECT_GE(g.hop_size, g.hop_unit);
    EXPECT_EQ(g.hop_size % g.hop_unit, 0);
    // A hop ends with a vector, unless a single unit had to be cut to the bound.
    if (vector > 0 && g.hop_unit < YIN_MAX_HOP) {
        EXPECT_EQ((static_cast<long long>(g.hop_size) << g.down) % vector, 0);
    }
    // The whole buffer, as 64-bit arithmetic, stays within the bound (and so within int32).
    const long long buffer = static_cast<long long>(g.hop_size) + 2LL * g.window_size;
    EXPECT_EQ(buffer, g.buffer_length());
    EXPECT_LE(buffer, YIN_MAX_HOP + 2LL * YIN_MAX_LAG);
    EXPECT_EQ(g.acf_length(), g.window_size + 4);
}

TEST(ZidGeometry, WorkedExamples) {
    struct Case {
        int32_t vector, down;
        double period;
        double rate;
        int32_t max_lag, window, unit, hop, buffer, acf;
    };
    const Case cases[] = {
        {64, 2, 5, 11025, 186, 188, 16, 64, 440, 192},    // the defaults
        {64, 2, 10, 11025, 186, 188, 16, 112, 488, 192},  // 7 vectors span 10 ms
        {64, 1, 5, 22050, 370, 372, 32, 128, 872, 376},
        {64, 2, 0, 11025, 186, 188, 16, 16, 392, 192},     // period 0: one vector
        {64, 2, -10, 11025, 186, 188, 16, 112, 488, 192},  // a period counts by its magnitude
        // Vectors that are no multiple of the group: the unit is the fewest vectors that fill
        // whole groups (4 of 63 give 63 groups of 4), and the hop is whole units.
        {63, 2, 5, 11025, 186, 188, 63, 63, 439, 192},
        {3, 2, 5, 11025, 186, 188, 3, 57, 433, 192},  // 19 units of 4 vectors
        {1, 2, 5, 11025, 186, 188, 1, 56, 432, 192},
        {0, 2, 5, 11025, 186, 188, 1, 56, 432, 192},  // no vector size: as vectors of 1
        {-64, 2, 5, 11025, 186, 188, 1, 56, 432, 192},
        {3, 1, 5, 22050, 370, 372, 3, 111, 855, 376},
        {4, 3, 5, 5512.5, 94, 96, 1, 28, 220, 100},  // 2 vectors per group
        {6, 3, 5, 5512.5, 94, 96, 3, 30, 222, 100},  // 4 vectors per 3 groups
        {127, 3, 5, 5512.5, 94, 96, 127, 127, 319, 100},
    };
    for (const Case &c : cases) {
        const yin_geometry g = yin_derive_geometry(44100, c.vector, c.down, 60, c.period);
        SCOPED_TRACE(testing::Message()
                     << "vector " << c.vector << " down " << c.down << " period " << c.period);
        EXPECT_EQ(g.down, c.down);
        EXPECT_EQ(g.analysis_rate, c.rate);
        EXPECT_EQ(g.max_lag, c.max_lag);
        EXPECT_EQ(g.window_size, c.window);
        EXPECT_EQ(g.hop_unit, c.unit);
        EXPECT_EQ(g.hop_size, c.hop);
        EXPECT_EQ(g.buffer_length(), c.buffer);
        EXPECT_EQ(g.acf_length(), c.acf);
    }
    // 64 samples at 11025 Hz are 5.805 ms: exactly that needs 4 vectors, a hair more needs 5.
    EXPECT_EQ(yin_derive_geometry(44100, 64, 2, 60, 64.0 / 11.025).hop_size, 64);
    EXPECT_EQ(yin_derive_geometry(44100, 64, 2, 60, 64.0 / 11.025 + 1e-9).hop_size, 80);
}

TEST(ZidGeometry, LagRangeExtremes) {
    // minfreq 0: the quotient is infinite and the range is the smallest.
    yin_geometry g = yin_derive_geometry(44100, 64, 2, 0, 5);
    EXPECT_EQ(g.max_lag, 4);
    EXPECT_EQ(g.window_size, 4);
    // At or above a quarter of the analysis rate: the quarter, so 4 + 2 lags.
    for (double f : {2756.25, 3000.0, 100000.0, inf}) {
        g = yin_derive_geometry(44100, 64, 2, f, 5);
        EXPECT_EQ(g.max_lag, 6) << f;
        EXPECT_EQ(g.window_size, 8) << f;
    }
    // A NaN minfreq is no lowest frequency at all: the quarter applies.
    EXPECT_EQ(yin_derive_geometry(44100, 64, 2, nan, 5).max_lag, 6);
    EXPECT_EQ(yin_derive_geometry(44100, 64, 2, -inf, 5).max_lag, 4);
    EXPECT_EQ(yin_derive_geometry(44100, 64, 2, -5, 5).max_lag, 4);
}

TEST(ZidGeometry, VerySmallMinfreqIsBoundedAsAnEffectiveLowestFrequency) {
    const double rate = 44100;
    const double lowest = rate / (YIN_MAX_LAG - 2);
    // Right at the bound the rule is exact ...
    yin_geometry g = yin_derive_geometry(rate, 64, 0, lowest, 5);
    EXPECT_EQ(g.max_lag, YIN_MAX_LAG);
    EXPECT_EQ(g.window_size, YIN_MAX_LAG);
    // ... one more lag would exceed it, and anything lower acts as the bound.
    EXPECT_EQ(yin_derive_geometry(rate, 64, 0, rate / (YIN_MAX_LAG - 1), 5).max_lag, YIN_MAX_LAG);
    for (double f : {0.1, 1e-3, 44100.0 / 2147483000.0}) {
        g = yin_derive_geometry(rate, 64, 0, f, 5);
        EXPECT_EQ(g.max_lag, YIN_MAX_LAG) << f;
        expect_sound(g);
    }
    // A quotient whose ceiling has no 32-bit value counts as below 3.
    EXPECT_EQ(yin_derive_geometry(rate, 64, 0, rate / 2147483648.0, 5).max_lag, 4);
    EXPECT_EQ(yin_derive_geometry(rate, 64, 0, 1e-300, 5).max_lag, 4);
}

TEST(ZidGeometry, DownIsClamped) {
    EXPECT_EQ(yin_derive_geometry(44100, 64, -1, 60, 5).down, 0);
    EXPECT_EQ(yin_derive_geometry(44100, 64, 9, 60, 5).down, 3);
    EXPECT_DOUBLE_EQ(yin_derive_geometry(44100, 64, 9, 60, 5).analysis_rate, 5512.5);
}

TEST(ZidGeometry, NonFiniteAndHugeInputsGiveBoundedGeometry) {
    // A NaN rate: no lag range (4 lags), and one vector per hop.
    yin_geometry g = yin_derive_geometry(nan, 64, 2, 60, 5);
    EXPECT_TRUE(std::isnan(g.analysis_rate));
    EXPECT_EQ(g.max_lag, 4);
    EXPECT_EQ(g.hop_size, 16);
    expect_sound(g);
    // An infinite rate: the hop is as long as the bound allows.
    g = yin_derive_geometry(inf, 64, 2, 60, 5);
    EXPECT_EQ(g.max_lag, 4);
    EXPECT_EQ(g.hop_size, YIN_MAX_HOP);
    expect_sound(g);
    // A huge finite rate with a plausible minfreq: the lag range hits the bound, not int32.
    g = yin_derive_geometry(1e9, 64, 0, 60, 250);
    EXPECT_EQ(g.max_lag, YIN_MAX_LAG);
    EXPECT_EQ(g.hop_size, YIN_MAX_HOP);
    expect_sound(g);
    // Periods that are not finite.
    EXPECT_EQ(yin_derive_geometry(44100, 64, 2, 60, nan).hop_size, 16);
    EXPECT_EQ(yin_derive_geometry(44100, 64, 2, 60, inf).hop_size, YIN_MAX_HOP);
    // The largest vector size: the unit is cut to the bound and the hop is one cut unit.
    g = yin_derive_geometry(44100, std::numeric_limits<int32_t>::max(), 3, 60, 250);
    EXPECT_EQ(g.hop_unit, YIN_MAX_HOP);
    EXPECT_EQ(g.hop_size, YIN_MAX_HOP);
    expect_sound(g, std::numeric_limits<int32_t>::max());
    // A vector count that does not divide the bound: whole vectors only.
    g = yin_derive_geometry(1e9, 3000, 0, 60, 250);
    EXPECT_EQ(g.hop_size, YIN_MAX_HOP / 3000 * 3000);
    expect_sound(g, 3000);
}

TEST(ZidGeometry, EveryInputGivesASoundGeometry) {
    const double specials[] = {nan,
                               inf,
                               -inf,
                               0.0,
                               -0.0,
                               -1.0,
                               1e-300,
                               1e-9,
                               0.5,
                               60.0,
                               44100.0,
                               1e6,
                               1e12,
                               1e300,
                               std::numeric_limits<double>::max(),
                               std::numeric_limits<double>::denorm_min()};
    const int32_t vectors[] = {
        std::numeric_limits<int32_t>::min(), -1, 0, 1, 3, 6, 7, 63, 64, 1000, 4096, (1 << 21) + 1,
        std::numeric_limits<int32_t>::max()};
    std::mt19937 rng(4);
    std::uniform_int_distribution<int> pick(0, std::size(specials) - 1);
    std::uniform_int_distribution<int> pick_vector(0, std::size(vectors) - 1);
    std::uniform_int_distribution<int32_t> pick_down(-2, 5);
    for (int i = 0; i < 20000; ++i) {
        const double rate = specials[pick(rng)], minfreq = specials[pick(rng)],
                     period = specials[pick(rng)];
        const int32_t vs = vectors[pick_vector(rng)], down = pick_down(rng);
        SCOPED_TRACE(testing::Message()
                     << rate << " " << vs << " " << down << " " << minfreq << " " << period);
        expect_sound(yin_derive_geometry(rate, vs, down, minfreq, period), vs);
        if (HasFailure())
            break;
    }
}

}  // namespace
