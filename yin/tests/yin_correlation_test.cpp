// The correlation routines against a plain long-double sum.
//
// The portable routine and every vector variant this CPU runs are held to "correctly rounded":
// every value must equal the long-double reference rounded to float, except where the reference
// lies so close to a float rounding boundary that an accumulation in double may legitimately land
// on the other side; there one float ulp is allowed.  The vector variants must moreover equal the
// portable routine bit for bit.  Whatever yin_correlate is on this platform is held to the accuracy
// of a single-precision accumulation around the portable result.
#include "yin_correlation.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <random>
#include <vector>

namespace {

constexpr float kSentinel = -12345.0f;
constexpr int kGuard = 4;

struct Reference {
    long double sum;
    long double magnitude;  // sum of |products|, which bounds every accumulation error
};

Reference reference_lag(const std::vector<float> &frame, int n, int lag) {
    Reference r{0.0L, 0.0L};
    for (int p = 0; p < n; ++p) {
        const long double product = static_cast<long double>(frame[lag + p]) * frame[p];
        r.sum += product;
        r.magnitude += std::fabs(product);
    }
    return r;
}

// True when every value within `error` of `exact` rounds to the same float.
bool rounding_is_settled(long double exact, long double error) {
    const float nearest = static_cast<float>(exact);
    const long double below = std::nextafter(nearest, -INFINITY);
    const long double above = std::nextafter(nearest, INFINITY);
    const long double low_boundary = (below + nearest) / 2;
    const long double high_boundary = (nearest + above) / 2;
    return exact - error > low_boundary && exact + error < high_boundary;
}

// The frame has exactly 2n - 1 samples, so an address sanitizer catches any read beyond them.
std::vector<float> random_frame(std::mt19937 &rng, int n, bool wide_exponents, float offset) {
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    std::uniform_int_distribution<int> exponent(-10, 10);
    std::vector<float> frame(static_cast<std::size_t>(2 * n - 1));
    for (float &x : frame) {
        x = offset + uniform(rng);
        if (wide_exponents) {
            x = std::ldexp(x, exponent(rng));
        }
    }
    return frame;
}

std::vector<float> correlate(void (*routine)(const float *, float *, int),
                             const std::vector<float> &frame, int n) {
    std::vector<float> acf(static_cast<std::size_t>(n + kGuard), kSentinel);
    routine(frame.data(), acf.data(), n);
    for (int i = n; i < n + kGuard; ++i) {
        EXPECT_EQ(acf[i], kSentinel) << "written beyond lag n - 1 at " << i;
    }
    return acf;
}

// Lengths around the routines' blocks of four products, of vector widths and of widening chunks
// (256 products), the estimator's usual sizes, and 2207 (20 Hz at 44100 Hz without decimation).
const int kLengths[] = {1,  2,  3,  4,  5,  7,   8,   9,   15,  16,  17,  23,  24,   25,
                        31, 32, 33, 47, 64, 100, 186, 188, 256, 257, 259, 370, 1000, 2207};

// The exact variants; one this CPU cannot run is skipped.
const char *const kVariants[] = {"portable", "avx2", "avx512"};

class ExactCorrelation : public ::testing::TestWithParam<std::tuple<const char *, int>> {
  protected:
    void SetUp() override {
        routine = yin_correlate_variant(std::get<0>(GetParam()));
        if (!routine)
            GTEST_SKIP() << std::get<0>(GetParam()) << " does not run on this CPU";
    }
    int length() const { return std::get<1>(GetParam()); }
    yin_correlate_fn routine = nullptr;
};

TEST_P(ExactCorrelation, IsTheCorrectlyRoundedSumOnRandomFrames) {
    const int n = length();
    std::mt19937 rng(1234u + static_cast<unsigned>(n));
    int settled = 0;
    int total = 0;
    for (int trial = 0; trial < 6; ++trial) {
        // Zero-mean frames make the sums cancel; offset ones make them large and one-signed.
        const auto frame = random_frame(rng, n, trial % 2 == 1, trial < 4 ? 0.0f : 3.0f);
        const auto acf = correlate(routine, frame, n);
        const auto portable = correlate(yin_correlate_portable, frame, n);
        for (int lag = 0; lag < n; ++lag) {
            EXPECT_EQ(std::bit_cast<uint32_t>(acf[lag]), std::bit_cast<uint32_t>(portable[lag]))
                << "n " << n << " lag " << lag << " differs from the portable routine";
            const Reference r = reference_lag(frame, n, lag);
            const float rounded = static_cast<float>(r.sum);
            // Both the double accumulation and the long-double reference may be this far off.
            const long double error = r.magnitude * n * (0x1p-53L + LDBL_EPSILON);
            ++total;
            if (rounding_is_settled(r.sum, error)) {
                ++settled;
                EXPECT_EQ(acf[lag], rounded) << "n " << n << " lag " << lag;
            } else {
                EXPECT_LE(std::fabs(acf[lag] - rounded),
                          std::fabs(std::nextafter(rounded, INFINITY) - rounded))
                    << "n " << n << " lag " << lag;
            }
        }
    }
    // The exemption must stay rare, or the check above would say little.
    EXPECT_GE(settled * 100, total * 99);
}

TEST_P(ExactCorrelation, IsExactOnSumsThatFloatAccumulationWouldRound) {
    // Integer samples up to 2^11: every sum is an integer well below 2^53, exact in double but
    // beyond float's 24 bits, so any single-precision accumulation shows up here.
    const int n = length();
    std::mt19937 rng(99u + static_cast<unsigned>(n));
    std::uniform_int_distribution<int> sample(-2048, 2048);
    std::vector<float> frame(static_cast<std::size_t>(2 * n - 1));
    for (float &x : frame) {
        x = static_cast<float>(sample(rng));
    }
    const auto acf = correlate(routine, frame, n);
    for (int lag = 0; lag < n; ++lag) {
        EXPECT_EQ(acf[lag], static_cast<float>(reference_lag(frame, n, lag).sum)) << "lag " << lag;
    }
}

INSTANTIATE_TEST_SUITE_P(VariantsAndLengths, ExactCorrelation,
                         ::testing::Combine(::testing::ValuesIn(kVariants),
                                            ::testing::ValuesIn(kLengths)));

class PlatformCorrelation : public ::testing::TestWithParam<int> {};

TEST_P(PlatformCorrelation, AgreesWithinSinglePrecisionAccumulation) {
    const int n = GetParam();
    std::mt19937 rng(7u + static_cast<unsigned>(n));
    const auto frame = random_frame(rng, n, true, 0.0f);
    const auto platform = correlate(yin_correlate, frame, n);
    const auto portable = correlate(yin_correlate_portable, frame, n);
    for (int lag = 0; lag < n; ++lag) {
        const double bound = reference_lag(frame, n, lag).magnitude * n * FLT_EPSILON;
        EXPECT_NEAR(platform[lag], portable[lag], bound) << "lag " << lag;
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, PlatformCorrelation, ::testing::ValuesIn(kLengths));

TEST(Correlation, NonPositiveLengthWritesNothing) {
    const float frame[1] = {1.0f};
    for (int n : {0, -1, -1000}) {
        float acf[kGuard] = {kSentinel, kSentinel, kSentinel, kSentinel};
        for (const char *name : kVariants)
            if (yin_correlate_fn routine = yin_correlate_variant(name))
                routine(frame, acf, n);
        yin_correlate(frame, acf, n);
        for (float value : acf) {
            EXPECT_EQ(value, kSentinel) << "n " << n;
        }
    }
}

TEST(Correlation, VariantsAreChosenAndForcedByName) {
    // At load the most preferred variant that this CPU runs is chosen.
    std::string expected;
    for (const char *name : {"portable", "avx2", "avx512", "accelerate"})
        if (yin_correlate_variant(name))
            expected = name;
    const std::string chosen = yin_correlate_variant_name();
    EXPECT_EQ(chosen, expected);
    EXPECT_EQ(yin_correlation_detail::active, yin_correlate_variant(chosen.c_str()));

    EXPECT_FALSE(yin_correlate_force("sse9"));
    EXPECT_EQ(yin_correlate_variant("sse9"), nullptr);
    EXPECT_EQ(yin_correlate_variant_name(), chosen);
    ASSERT_TRUE(yin_correlate_force("portable"));
    EXPECT_STREQ(yin_correlate_variant_name(), "portable");
    EXPECT_EQ(yin_correlation_detail::active, &yin_correlate_portable);
    EXPECT_TRUE(yin_correlate_force(chosen.c_str()));
}

}  // namespace
