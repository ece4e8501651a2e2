// The correlation routines against a plain long-double sum.
//
// The portable routine and every vector variant this CPU runs are held to "correctly rounded":
// every value must equal the long-double reference rounded to float, except where the reference
// lies so close to a float rounding boundary that an accumulation in double may legitimately land
// on the other side; there one float ulp is allowed.  The FFT path is held to the accuracy standard
// its header states, and on pitched and noisy signals the estimator must give the same results
// through it as through the direct sum.  The vector variants must moreover equal the
// portable routine bit for bit.  Whatever yin_correlate is on this platform is held to the accuracy
// of a single-precision accumulation around the portable result.
#include "yin_correlation.h"
#include "yin_correlation_fft.h"
#include "yin_fft.h"
#include "yinutils.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <algorithm>
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
                                            ::testing::ValuesIn(kLengths)),
                         [](const auto &info) {
                             return std::string(std::get<0>(info.param)) + "_" +
                                    std::to_string(std::get<1>(info.param));
                         });

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

// ---- the FFT path ----

class FftCorrelation : public ::testing::TestWithParam<int> {};

TEST_P(FftCorrelation, EveryLagIsWithinTheStatedBoundOfTheExactSum) {
    const int n = GetParam();
    // A plan serves every length up to its own, so one made a little larger is used as well.
    for (int spare : {0, 3}) {
        yin_fft_correlation *plan = yin_fft_correlation_new(n + spare);
        ASSERT_NE(plan, nullptr);
        const double log2_length = std::log2(yin_fft_correlation_length(plan));
        std::mt19937 rng(4321u + static_cast<unsigned>(n));
        for (int trial = 0; trial < 9; ++trial) {
            const bool offset = trial == 2 || trial == 3;
            auto frame = random_frame(rng, n, trial % 2 == 1, offset ? 3.0f : 0.0f);
            if (trial == 4 || trial == 5) {
                // Zeros at every odd position make every odd lag's exact sum 0: there the FFT's
                // own error shows, not hidden by the rounding to float.
                for (std::size_t i = 1; i < frame.size(); i += 2) frame[i] = 0.0f;
            }
            // 16-bit samples, as decoded audio has: the sums are exact in double and often fall
            // exactly between two floats, where only the direct sum knows which way to round.
            const bool quantised = trial == 6 || trial == 7;
            if (quantised) {
                for (float &x : frame) x = std::round(std::ldexp(x, 13)) / 32768.0f;
            }
            if (trial == 8) {
                // An onset: a faint older half, where the bound is far below the frame's energy.
                for (int i = 0; i < n; ++i) frame[static_cast<std::size_t>(i)] *= 1e-4f;
            }
            std::vector<float> acf(static_cast<std::size_t>(n + kGuard), kSentinel);
            yin_correlate_fft(plan, frame.data(), acf.data(), n);
            long double energy = 0, head_energy = 0;
            for (std::size_t i = 0; i < frame.size(); ++i) {
                energy += static_cast<long double>(frame[i]) * frame[i];
                if (i < static_cast<std::size_t>(n))
                    head_energy += static_cast<long double>(frame[i]) * frame[i];
            }
            const long double bound =
                kFftErrorFactor * DBL_EPSILON * log2_length * std::sqrt(head_energy * energy);
            for (int lag = 0; lag < n; ++lag) {
                const long double exact = reference_lag(frame, n, lag).sum;
                // The double within the bound, then its rounding to float: half an ulp more.
                const long double half_ulp = (std::fabs(exact) + bound) * FLT_EPSILON / 2;
                EXPECT_LE(std::fabs(acf[lag] - exact), bound + half_ulp)
                    << "n " << n << " lag " << lag << " trial " << trial;
            }
            if (quantised) {
                const auto direct = correlate(yin_correlate_portable, frame, n);
                for (int lag = 0; lag < n; ++lag)
                    EXPECT_EQ(std::bit_cast<uint32_t>(acf[lag]),
                              std::bit_cast<uint32_t>(direct[lag]))
                        << "n " << n << " lag " << lag << " trial " << trial;
            }
            for (int i = n; i < n + kGuard; ++i) EXPECT_EQ(acf[i], kSentinel) << i;
        }
        yin_fft_correlation_free(plan);
    }
}

TEST_P(FftCorrelation, FrameWithASilentStartGivesExactZeros) {
    // The stream's first frames: zeros, then signal from the n-th sample on.
    const int n = GetParam();
    std::mt19937 rng(5u);
    auto frame = random_frame(rng, n, false, 0.0f);
    std::fill(frame.begin(), frame.begin() + n, 0.0f);
    yin_fft_correlation *plan = yin_fft_correlation_new(n);
    std::vector<float> acf(static_cast<std::size_t>(n), kSentinel);
    yin_correlate_fft(plan, frame.data(), acf.data(), n);
    for (int lag = 0; lag < n; ++lag) EXPECT_EQ(acf[lag], 0.0f) << "lag " << lag;
    yin_fft_correlation_free(plan);
}

INSTANTIATE_TEST_SUITE_P(Lengths, FftCorrelation,
                         ::testing::Values(1, 2, 3, 4, 5, 16, 17, 186, 370, 1000, 2207));

TEST(FftCorrelation, LengthsHaveOnlyTheFastRadices) {
    // At least 2n - 1, even, and half of it has no prime factor above 5 (any other factor would
    // make the transform allocate).
    const std::size_t rows[][2] = {{1, 4},   {4, 4},     {5, 6},       {13, 16},    {15, 16},
                                   {29, 30}, {371, 384}, {1999, 2000}, {4413, 4500}};
    for (const auto &row : rows) {
        const std::size_t length = yin_fft_length(row[0]);
#if defined(MORV_YIN_ACCELERATE)
        EXPECT_EQ(length & (length - 1), 0u) << row[0];
        EXPECT_GE(length, row[0]);
#else
        EXPECT_EQ(length, row[1]) << row[0];
#endif
    }
}

// The signals of zid~'s accuracy tests at the analysis rate of down 0: sines from 65 to 1000 Hz,
// harmonic tones, white noise.
std::vector<std::vector<float>> pitched_and_noisy_signals(std::size_t length) {
    constexpr double rate = 44100, two_pi = 6.283185307179586;
    std::vector<std::vector<float>> signals;
    for (int i = 0; i <= 12; ++i) {
        const double f0 = 65.0 * std::pow(1000.0 / 65.0, i / 12.0);
        std::vector<float> sine(length), tone(length);
        for (std::size_t t = 0; t < length; ++t) {
            sine[t] = static_cast<float>(std::sin(two_pi * f0 * t / rate));
            double s = 0;
            for (int h = 1; h * f0 < rate / 4; ++h)
                s += std::sin(two_pi * h * f0 * t / rate + 0.7 * h * h) / h;
            tone[t] = static_cast<float>(0.3 * s);
        }
        signals.push_back(std::move(sine));
        signals.push_back(std::move(tone));
    }
    std::mt19937 rng(17u);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    for (int i = 0; i < 4; ++i) {
        std::vector<float> white(length);
        for (float &x : white) x = noise(rng);
        signals.push_back(std::move(white));
    }
    return signals;
}

TEST(FftCorrelation, EstimatorResultsMatchTheDirectPath) {
    // Frames slide over each signal as in a stream that starts from silence, so the first ones
    // hold zeros before the signal.  Frequency (rate / lag), amplitude (from acf[0]) and
    // periodicity (from the aperiodicity) must be bit-identical in at least 99.9 % of analyses,
    // and never more than 1e-6 apart relative.  The direct path is the correctly rounded one
    // that the FFT path reproduces: Accelerate's sums in single precision are not.
    constexpr int kFrames = 24;
    constexpr std::size_t kHop = 97;
    int analyses = 0;
    int identical = 0;
    const std::string chosen = yin_correlate_variant_name();
    const int fft_from = yin_correlate_fft_from();
    ASSERT_TRUE(yin_correlate_force("portable"));
    for (int w : {fft_from, 2207}) {
        const auto frame_length = static_cast<std::size_t>(2 * w - 1);
        const std::size_t lead = frame_length - kHop;  // zeros before the signal starts
        yin_fft_correlation *plan = yin_fft_correlation_new(w);
        std::vector<float> acf_direct(static_cast<std::size_t>(w)), acf_fft(acf_direct.size());
        for (const auto &signal : pitched_and_noisy_signals(kFrames * kHop + frame_length)) {
            std::vector<float> stream(lead, 0.0f);
            stream.insert(stream.end(), signal.begin(), signal.end());
            for (int f = 0; f < kFrames; ++f) {
                const float *frame = stream.data() + f * kHop;
                double ap_direct = 0, ap_fft = 0;
                const double lag_direct =
                    yin_calculate_lag(frame, acf_direct.data(), w, 0.1, 1.0, &ap_direct);
                const double lag_fft =
                    yin_calculate_lag(frame, acf_fft.data(), w, 0.1, 1.0, &ap_fft, plan);
                const double results[2][3] = {
                    {44100 / lag_direct, std::sqrt(acf_direct[0] / float(w)),
                     1 - std::sqrt(ap_direct)},
                    {44100 / lag_fft, std::sqrt(acf_fft[0] / float(w)), 1 - std::sqrt(ap_fft)}};
                bool same = true;
                for (int k = 0; k < 3; ++k) {
                    const double a = results[0][k], b = results[1][k];
                    same = same && std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
                    EXPECT_LE(std::fabs(a - b), 1e-6 * std::max(std::fabs(a), std::fabs(b)))
                        << "W " << w << " frame " << f << " result " << k;
                }
                ++analyses;
                identical += same;
            }
        }
        yin_fft_correlation_free(plan);
    }
    yin_correlate_force(chosen.c_str());
    EXPECT_GE(identical * 1000, analyses * 999) << identical << " of " << analyses;
}

}  // namespace
