// The container's spectral front end on its own: window shape, FFT sign and scaling, bin layout.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <numeric>
#include <vector>

#include "pfft_analysis.h"
#include "morvhost/turns.hpp"

namespace {

using morvhost::pfft_detail::FrameAnalysis;

std::vector<double> tone(long n, double bin, double amplitude, double phase) {
    std::vector<double> v(static_cast<std::size_t>(n));
    for (long i = 0; i < n; ++i) {
        v[static_cast<std::size_t>(i)] =
            amplitude *
            std::cos(2 * std::numbers::pi * bin * static_cast<double>(i) / static_cast<double>(n) +
                     phase);
    }
    return v;
}

// The window and twiddles come from sincos_turns: it must agree with the library's sin and cos
// over every quadrant and beyond one turn, and be exact where the answer is a whole number.
TEST(PfftAnalysis, TurnsGiveSineAndCosineOfEveryQuadrant) {
    for (double t : {0.0, 0.03, 0.125, 0.2499, 0.3, 0.49, 0.625, 0.75, 0.999, -0.2, 3.7, -7.05}) {
        const double angle = 2 * std::numbers::pi * (t - std::floor(t));
        const morvhost::SinCos sc = morvhost::sincos_turns(t);
        EXPECT_NEAR(sc.sin, std::sin(angle), 5e-16) << t;
        EXPECT_NEAR(sc.cos, std::cos(angle), 5e-16) << t;
    }
    const struct {
        double t, sin, cos;
    } exact[] = {{0, 0, 1}, {0.25, 1, 0}, {0.5, 0, -1}, {0.75, -1, 0}, {2, 0, 1}};
    for (const auto &e : exact) {
        EXPECT_EQ(morvhost::sincos_turns(e.t).sin, e.sin) << e.t;
        EXPECT_EQ(morvhost::sincos_turns(e.t).cos, e.cos) << e.t;
    }
}

TEST(PfftAnalysis, WindowIsPeriodicHann) {
    FrameAnalysis a(16);
    const auto w = a.window();
    ASSERT_EQ(w.size(), 16u);
    EXPECT_EQ(w[0], 0.0);
    EXPECT_DOUBLE_EQ(w[8], 1.0);
    EXPECT_DOUBLE_EQ(w[4], 0.5);
    for (std::size_t i = 1; i < 8; ++i) {
        EXPECT_NEAR(w[i], w[16 - i], 1e-15) << i;  // periodic: symmetric about the centre sample
    }
    // At hop size/2 overlapping windows add up to one at every sample.
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_DOUBLE_EQ(w[i] + w[i + 8], 1.0);
    }
}

TEST(PfftAnalysis, ConstantInputLandsInBinZeroUnnormalised) {
    FrameAnalysis a(64);
    a.analyse(std::vector<double>(64, 2.0));
    ASSERT_EQ(a.real().size(), 32u);
    EXPECT_NEAR(a.real()[0], 64.0, 1e-12);   // 2 * sum of the window (N/2)
    EXPECT_NEAR(a.real()[1], -32.0, 1e-12);  // Hann leaks a negative half into bin 1
    for (std::size_t k = 2; k < 32; ++k) {
        EXPECT_NEAR(a.amplitude()[k], 0.0, 1e-12) << k;
    }
}

TEST(PfftAnalysis, BinCentredToneFollowsTheForwardSignConvention) {
    const long n = 512;
    FrameAnalysis a(n);
    // cos: a positive real peak of A*N/4 at bin k, -A*N/8 in both neighbours.
    a.analyse(tone(n, 10, 1.0, 0.0));
    EXPECT_NEAR(a.real()[10], n / 4.0, 1e-9);
    EXPECT_NEAR(a.real()[9], -n / 8.0, 1e-9);
    EXPECT_NEAR(a.real()[11], -n / 8.0, 1e-9);
    EXPECT_NEAR(a.imag()[10], 0.0, 1e-9);
    EXPECT_NEAR(a.amplitude()[12], 0.0, 1e-9);
    // sin = cos(. - pi/2): the forward transform (e^{-i...}) puts it at -i*A*N/4.
    a.analyse(tone(n, 10, 3.0, -std::numbers::pi / 2));
    EXPECT_NEAR(a.imag()[10], -3.0 * n / 4.0, 1e-9);
    EXPECT_NEAR(a.real()[10], 0.0, 1e-9);
    EXPECT_NEAR(a.amplitude()[10], 3.0 * n / 4.0, 1e-9);
}

TEST(PfftAnalysis, AmplitudeIsTheMagnitudeOfEachBin) {
    FrameAnalysis a(32);
    std::vector<double> x(32);
    std::iota(x.begin(), x.end(), -7.0);
    a.analyse(x);
    for (std::size_t k = 0; k < 16; ++k) {
        EXPECT_DOUBLE_EQ(a.amplitude()[k], std::hypot(a.real()[k], a.imag()[k])) << k;
    }
}

TEST(PfftAnalysis, EachFrameReplacesThePrevious) {
    FrameAnalysis a(16);
    a.analyse(tone(16, 3, 1.0, 0.0));
    a.analyse(std::vector<double>(16, 0.0));
    for (double v : a.amplitude()) {
        EXPECT_EQ(v, 0.0);
    }
}

}  // namespace
