// Kernel tests, calling the perform routines directly as the host would.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "centroid_kernels.h"

#include "test_signals.h"

namespace {

constexpr double sentinel = -12345.0;
const double nan = std::numeric_limits<double>::quiet_NaN();

// Runs one kernel call over a frame and returns the n output samples; the output buffer has one
// extra sentinel sample after the frame, checked to stay untouched.
std::vector<double> run(t_perfroutine64 kernel, double samplerate, std::vector<double> re,
                        std::vector<double> im = {}) {
    centroid_t x{};
    x.samplerate = samplerate;
    const long n = static_cast<long>(re.size());
    if (im.empty()) {
        im.assign(re.size(), 0.0);
    }
    std::vector<double> out(re.size() + 1, sentinel);
    double *ins[] = {re.data(), im.data()};
    double *outs[] = {out.data()};
    kernel(reinterpret_cast<t_object *>(&x), nullptr, ins, 2, outs, 1, n, 0, nullptr);
    EXPECT_EQ(out.back(), sentinel) << "wrote past the frame";
    out.pop_back();
    return out;
}

std::vector<double> complex_centroid(double sr, std::vector<double> re, std::vector<double> im) {
    return run(centroid_perform_complex, sr, std::move(re), std::move(im));
}
std::vector<double> amplitude_centroid(double sr, std::vector<double> amp) {
    return run(centroid_perform_amplitude, sr, std::move(amp));
}

// Every output sample must carry the same value.
double single_value(const std::vector<double> &out) {
    EXPECT_FALSE(out.empty());
    for (double v : out) {
        EXPECT_TRUE(v == out[0] || (std::isnan(v) && std::isnan(out[0])));
    }
    return out.empty() ? sentinel : out[0];
}

TEST(CentroidKernels, SingleBinGivesItsCentreWhateverTheWeight) {
    for (double weight : {1.0, 1e-9, 3.5, 1e12}) {
        std::vector<double> amp(512, 0.0);
        amp[10] = weight;
        EXPECT_EQ(single_value(amplitude_centroid(44100, amp)), 430.6640625) << weight;
        std::vector<double> re(512, 0.0), im(512, 0.0);
        re[10] = weight;
        im[10] = -weight / 3;
        EXPECT_EQ(single_value(complex_centroid(44100, re, im)), 430.6640625) << weight;
    }
    // A negative amplitude alone is still a single bin: S / T is exactly 10.
    std::vector<double> amp(512, 0.0);
    amp[10] = -2.0;
    EXPECT_EQ(single_value(amplitude_centroid(44100, amp)), 430.6640625);
}

TEST(CentroidKernels, ScaleFollowsTheInstanceSampleRate) {
    std::vector<double> amp(512, 0.0);
    amp[10] = 1.0;
    EXPECT_EQ(single_value(amplitude_centroid(48000, amp)), 468.75);
    EXPECT_EQ(single_value(amplitude_centroid(0, amp)), 0.0);
}

TEST(CentroidKernels, WorkedExamples) {
    EXPECT_EQ(single_value(amplitude_centroid(800, {1, 1, 1, 1})), 150.0);
    EXPECT_EQ(single_value(complex_centroid(800, {0, 3, 0, 0}, {0, 4, 0, 0})), 100.0);
    // The complex routine squares (weights 1 and 4 at bins 1 and 3: 13/5 bins); the amplitude
    // routine does not (weights 1 and 2: 7/3 bins).
    EXPECT_DOUBLE_EQ(single_value(complex_centroid(800, {0, 1, 0, 2}, {0, 0, 0, 0})), 260.0);
    EXPECT_DOUBLE_EQ(single_value(amplitude_centroid(800, {0, 1, 0, 2})), 700.0 / 3.0);
}

TEST(CentroidKernels, ZeroTotalGivesPositiveZero) {
    for (const auto &out :
         {amplitude_centroid(44100, std::vector<double>(512, 0.0)),
          complex_centroid(44100, std::vector<double>(512, 0.0), std::vector<double>(512, -0.0)),
          amplitude_centroid(800, {1, -1, 0, 0}),  // mixed signs cancelling
          amplitude_centroid(800, {0, 2, -2, 0})}) {
        const double v = single_value(out);
        EXPECT_EQ(v, 0.0);
        EXPECT_FALSE(std::signbit(v));
    }
}

TEST(CentroidKernels, WeightInBinZeroOnlyGivesZero) {
    EXPECT_EQ(single_value(amplitude_centroid(44100, {5, 0, 0, 0, 0, 0, 0, 0})), 0.0);
    EXPECT_EQ(single_value(complex_centroid(44100, {0, 0, 0, 0}, {7, 0, 0, 0})), 0.0);
}

TEST(CentroidKernels, MixedSignAmplitudesAreUsedUnchanged) {
    // S = -1, T = 1: one bin below DC.
    EXPECT_EQ(single_value(amplitude_centroid(800, {2, -1})), -200.0);
    // S = 1*1 + 2*(-2) + 3*2 = 3, T = 1: beyond the last bin.
    EXPECT_EQ(single_value(amplitude_centroid(800, {0, 1, -2, 2})), 300.0);
}

TEST(CentroidKernels, InvariantUnderScalingOfTheInput) {
    const auto re = morvtest::uniform_noise(256, 1), im = morvtest::uniform_noise(256, 2);
    const double c = single_value(complex_centroid(44100, re, im));
    const double a = single_value(amplitude_centroid(44100, im));
    for (double factor : {-1.0, 1e-6, 3.0, 1e6}) {
        auto re2 = re, im2 = im;
        for (std::size_t k = 0; k < re.size(); ++k) {
            re2[k] *= factor;
            im2[k] *= factor;
        }
        EXPECT_NEAR(single_value(complex_centroid(44100, re2, im2)), c, 1e-9 * c) << factor;
        EXPECT_NEAR(single_value(amplitude_centroid(44100, im2)), a, 1e-9 * std::abs(a)) << factor;
    }
}

TEST(CentroidKernels, ComplexIgnoresTheSignOfEachComponent) {
    const auto re = morvtest::uniform_noise(128, 3), im = morvtest::uniform_noise(128, 4);
    const double c = single_value(complex_centroid(22050, re, im));
    auto re2 = re, im2 = im;
    for (std::size_t k = 0; k < re.size(); k += 3) {
        re2[k] = -re2[k];
    }
    for (std::size_t k = 1; k < im.size(); k += 2) {
        im2[k] = -im2[k];
    }
    // Squares of negated values are identical, so the result is bit-identical.
    EXPECT_EQ(single_value(complex_centroid(22050, re2, im2)), c);
}

TEST(CentroidKernels, NanAnywhereMakesEveryOutputNan) {
    for (std::size_t bin : {0u, 3u, 7u}) {
        std::vector<double> v(8, 1.0);
        v[bin] = nan;
        EXPECT_TRUE(std::isnan(single_value(amplitude_centroid(44100, v)))) << bin;
        EXPECT_TRUE(std::isnan(single_value(complex_centroid(44100, v, std::vector<double>(8)))));
        EXPECT_TRUE(std::isnan(single_value(complex_centroid(44100, std::vector<double>(8), v))));
    }
}

TEST(CentroidKernels, InfinitePassesThroughUnguarded) {
    // inf / inf in the quotient: the only guard is the exact-zero total.
    EXPECT_TRUE(std::isnan(single_value(amplitude_centroid(800, {0, INFINITY, 0, 0}))));
}

TEST(CentroidKernels, ShortFramesFollowTheSameFormula) {
    EXPECT_EQ(single_value(amplitude_centroid(800, {3})), 0.0);       // only bin 0 exists
    EXPECT_EQ(single_value(amplitude_centroid(800, {1, 1})), 100.0);  // 0.5 bin of 200 Hz
    EXPECT_EQ(single_value(complex_centroid(600, {0, 0, 1}, {0, 0, 1})), 200.0);  // bin 2 of 100 Hz
    EXPECT_EQ(complex_centroid(600, {0, 0, 1}, {0, 0, 1}).size(), 3u);
}

TEST(CentroidKernels, EmptyOrNegativeFrameWritesNothing) {
    centroid_t x{};
    x.samplerate = 44100;
    double in = 1.0, out = sentinel;
    double *ins[] = {&in, &in};
    double *outs[] = {&out};
    for (long n : {0L, -1L, std::numeric_limits<long>::min()}) {
        centroid_perform_complex(reinterpret_cast<t_object *>(&x), nullptr, ins, 2, outs, 1, n, 0,
                                 nullptr);
        centroid_perform_amplitude(reinterpret_cast<t_object *>(&x), nullptr, ins, 2, outs, 1, n, 0,
                                   nullptr);
        EXPECT_EQ(out, sentinel) << n;
    }
}

TEST(CentroidKernels, AmplitudeNeverReadsTheRightInlet) {
    centroid_t x{};
    x.samplerate = 800;
    std::vector<double> amp{1, 1, 1, 1}, out(4);
    double *ins[] = {amp.data(), nullptr};
    double *outs[] = {out.data()};
    centroid_perform_amplitude(reinterpret_cast<t_object *>(&x), nullptr, ins, 2, outs, 1, 4, 0,
                               nullptr);
    EXPECT_EQ(single_value(out), 150.0);
}

TEST(CentroidKernels, ReadsTheWholeFrameBeforeWriting) {
    // With the output sharing the input's buffer, a routine that wrote while still summing
    // would read its own output back.
    const auto re = morvtest::uniform_noise(64, 5), im = morvtest::uniform_noise(64, 6);
    const double expected = single_value(complex_centroid(44100, re, im));
    centroid_t x{};
    x.samplerate = 44100;
    auto shared = re, im2 = im;
    double *ins[] = {shared.data(), im2.data()};
    double *outs[] = {shared.data()};
    centroid_perform_complex(reinterpret_cast<t_object *>(&x), nullptr, ins, 2, outs, 1, 64, 0,
                             nullptr);
    EXPECT_EQ(single_value(shared), expected);
    auto amp = im;
    ins[0] = amp.data();
    outs[0] = amp.data();
    const double expected_amp = single_value(amplitude_centroid(44100, im));
    centroid_perform_amplitude(reinterpret_cast<t_object *>(&x), nullptr, ins, 2, outs, 1, 64, 0,
                               nullptr);
    EXPECT_EQ(single_value(amp), expected_amp);
}

}  // namespace
