// The host-free frames: what a host's perform routine relies on when it feeds vectors and asks
// for estimates, without any host around.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "yin_frames.h"

namespace {

// The defaults at 44100 Hz with vectors of 64: hops of 64 decimated samples, 4 vectors each.
const yin_geometry defaults = yin_derive_geometry(44100, 64, 2, 60, 5);

std::vector<double> sine(double hz, long first, long n) {
    std::vector<double> v(n);
    for (long i = 0; i < n; ++i) v[i] = std::sin(2 * std::numbers::pi * hz * (first + i) / 44100);
    return v;
}

TEST(ZidFrames, WithoutArraysNothingIsBuffered) {
    yin_frames f{};
    const auto v = sine(441, 0, 64);
    EXPECT_FALSE(yin_frames_push(&f, v.data(), 64));
    EXPECT_EQ(f.fill, 0);
}

TEST(ZidFrames, AHopOfWholeVectorsSlidesTheFrameAndIsAnalysed) {
    yin_frames f{};
    ASSERT_TRUE(yin_frames_configure(&f, defaults));
    ASSERT_EQ(f.hop_size, 64);
    long pushed = 0, hops = 0;
    for (; pushed < 64 * 4 * 12; pushed += 64) {
        const auto v = sine(441, pushed, 64);
        const bool hop = yin_frames_push(&f, v.data(), 64);
        EXPECT_EQ(hop, (pushed / 64) % 4 == 3) << pushed;
        hops += hop;
    }
    EXPECT_EQ(hops, 12);
    EXPECT_EQ(f.fill, 0);
    const yin_estimate e = yin_frames_analyse(&f, 0.1);
    EXPECT_NEAR(e.frequency, 441.0, 1.0);
    EXPECT_NEAR(e.amplitude, std::sqrt(0.5), 0.01);
    EXPECT_GT(e.periodicity, 0.9);

    // The same sizes keep the frame; other sizes start from silence.  Either way the hop restarts.
    const auto v = sine(441, pushed, 64);
    yin_frames_push(&f, v.data(), 64);
    ASSERT_TRUE(yin_frames_configure(&f, yin_derive_geometry(44100, 64, 2, 60, 4.5)));
    EXPECT_EQ(f.fill, 0);
    EXPECT_NE(f.buffer[0], 0.0f);
    ASSERT_TRUE(yin_frames_configure(&f, yin_derive_geometry(44100, 64, 2, 80, 5)));
    EXPECT_EQ(f.buffer[0], 0.0f);
    EXPECT_EQ(yin_frames_analyse(&f, 0.1).amplitude, 0.0);
    yin_frames_release(&f);
    EXPECT_EQ(f.buffer, nullptr);
    EXPECT_EQ(f.window_size, 0);
}

}  // namespace
