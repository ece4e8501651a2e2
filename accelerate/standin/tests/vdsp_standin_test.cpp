// The Accelerate stand-in against Apple's documented examples and a plain DFT, so that it cannot
// share a misunderstanding of packing or scale with the code it serves.
#include "accelerate_vdsp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

namespace {

TEST(VdspConv, CorrelatesAndConvolvesAsDocumented) {
    const float a[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const float f[3] = {1, 2, 3};
    const float correlation[6] = {14, 20, 26, 32, 38, 44};
    const float convolution[6] = {10, 16, 22, 28, 34, 40};  // the last filter element, stride -1
    for (const auto &[filter, stride, expected] :
         {std::tuple{f, 1L, correlation}, std::tuple{f + 2, -1L, convolution}}) {
        float c[7] = {0, 0, 0, 0, 0, 0, -1};
        vDSP_conv(a, 1, filter, stride, c, 1, 6, 3);
        for (int n = 0; n < 6; ++n) EXPECT_EQ(c[n], expected[n]) << "stride " << stride;
        EXPECT_EQ(c[6], -1) << "wrote past N outputs";
    }
    // In single precision and in index order: 2^24 + 1 rounds back to 2^24, twice (a sum in
    // double, or from the other end, would give 2^24 + 2).
    const float big[3] = {16777216.0f, 1.0f, 1.0f};
    const float ones[3] = {1, 1, 1};
    float c = 0;
    vDSP_conv(big, 1, ones, 1, &c, 1, 1, 3);
    EXPECT_EQ(c, 16777216.0f);
}

TEST(VdspFft, EightPointsByHand) {
    // x = 1 .. 8: X = 36, -4 + 9.6569i, -4 + 4i, -4 + 1.6569i, and X[4] = -4.
    const double x[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    double re[4], im[4];
    const DSPDoubleSplitComplex z{re, im};
    vDSP_ctozD(reinterpret_cast<const DSPDoubleComplex *>(x), 2, &z, 1, 4);
    EXPECT_EQ(std::vector<double>(re, re + 4), (std::vector<double>{1, 3, 5, 7}));
    EXPECT_EQ(std::vector<double>(im, im + 4), (std::vector<double>{2, 4, 6, 8}));

    FFTSetupD setup = vDSP_create_fftsetupD(3, kFFTRadix2);
    ASSERT_NE(setup, nullptr);
    vDSP_fft_zripD(setup, &z, 1, 3, kFFTDirection_Forward);
    const double r2 = 8 * std::sqrt(2.0);
    const double forward_re[4] = {72, -8, -8, -8}, forward_im[4] = {-8, 8 + r2, 8, r2 - 8};
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(re[k], forward_re[k], 1e-12) << k;
        EXPECT_NEAR(im[k], forward_im[k], 1e-12) << k;
    }
    vDSP_fft_zripD(setup, &z, 1, 3, kFFTDirection_Inverse);
    double y[8];
    vDSP_ztocD(&z, 1, reinterpret_cast<DSPDoubleComplex *>(y), 2, 4);
    for (int j = 0; j < 8; ++j) EXPECT_NEAR(y[j], 16 * x[j], 1e-12) << j;  // 2N times x
    vDSP_destroy_fftsetupD(setup);
}

TEST(VdspFft, MatchesAPlainDftInBothDirections) {
    using cld = std::complex<long double>;
    const long double pi = std::acos(-1.0L);
    std::mt19937 rng(8u);
    std::uniform_real_distribution<double> uniform(-1, 1);
    // One setup serves every shorter transform.
    FFTSetupD setup = vDSP_create_fftsetupD(7, kFFTRadix2);
    for (vDSP_Length log2n = 1; log2n <= 7; ++log2n) {
        const int n = 1 << log2n, half = n / 2;
        for (int direction : {kFFTDirection_Forward, kFFTDirection_Inverse}) {
            std::vector<double> re(half), im(half);
            for (int k = 0; k < half; ++k) re[k] = uniform(rng), im[k] = uniform(rng);
            // The full sequence each direction reads from the split values: the samples x[j], or
            // the spectrum h[j] unpacked with its conjugate half.
            std::vector<cld> in(n);
            for (int k = 0; k < half; ++k) {
                if (direction == kFFTDirection_Forward) {
                    in[2 * k] = re[k], in[2 * k + 1] = im[k];
                } else if (k == 0) {
                    in[0] = re[0], in[half] = im[0];
                } else {
                    in[k] = cld(re[k], im[k]), in[n - k] = cld(re[k], -im[k]);
                }
            }
            std::vector<cld> out(n);
            for (int k = 0; k < n; ++k)
                for (int j = 0; j < n; ++j)
                    out[k] += in[j] * std::polar(1.0L, direction * -2 * pi * j * k / n);
            const DSPDoubleSplitComplex z{re.data(), im.data()};
            vDSP_fft_zripD(setup, &z, 1, log2n, direction);
            for (int k = 0; k < half; ++k) {
                const bool fwd = direction == kFFTDirection_Forward;
                const cld expected =
                    fwd ? (k == 0 ? cld(2 * out[0].real(), 2 * out[half].real()) : 2.0L * out[k])
                        : cld(out[2 * k].real(), out[2 * k + 1].real());
                EXPECT_NEAR(re[k], expected.real(), 1e-12 * n) << n << " " << direction << " " << k;
                EXPECT_NEAR(im[k], expected.imag(), 1e-12 * n) << n << " " << direction << " " << k;
            }
        }
    }
    vDSP_destroy_fftsetupD(setup);
}

TEST(VdspFft, SetupsFailAsDocumented) {
    EXPECT_EQ(vDSP_create_fftsetupD(4, kFFTRadix3), nullptr);  // radix 2 only
    EXPECT_EQ(vDSP_create_fftsetupD(4, kFFTRadix5), nullptr);
    EXPECT_EQ(vDSP_create_fftsetupD(63, kFFTRadix2), nullptr);  // beyond any memory
    vDSP_destroy_fftsetupD(nullptr);                            // does nothing
}

}  // namespace
