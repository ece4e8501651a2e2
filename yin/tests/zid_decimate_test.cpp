// Decimation into the analysis buffer and the hop slide.
#include <gtest/gtest.h>

#include <vector>

#include "yin_decimate.h"

namespace {

constexpr float sentinel = -12345.0f;

TEST(ZidDecimate, AveragesBlocksOfPowerOfTwoSize) {
    std::vector<double> in(16);
    for (int i = 0; i < 16; ++i) in[i] = i;
    for (int32_t down = 0; down <= 3; ++down) {
        const int block = 1 << down;
        std::vector<float> out(17, sentinel);
        ASSERT_EQ(yin_decimate(in.data(), 16, down, out.data(), 16), 16 / block);
        for (int i = 0; i < 16 / block; ++i)
            EXPECT_FLOAT_EQ(out[i], i * block + (block - 1) / 2.0f) << "down " << down;
        EXPECT_EQ(out[16 / block], sentinel);
    }
}

TEST(ZidDecimate, SumsInDoublePrecisionAndNarrowsOnce) {
    // A float accumulator would lose the small terms next to the large ones.
    const double in[4] = {1e8, 1.0, -1e8, 1.0};
    float out = sentinel;
    ASSERT_EQ(yin_decimate(in, 4, 2, &out, 1), 1);
    EXPECT_EQ(out, 0.5f);
    // A narrowing copy rounds to the nearest float.
    const double tenth = 0.1;
    ASSERT_EQ(yin_decimate(&tenth, 1, 0, &out, 1), 1);
    EXPECT_EQ(out, 0.1f);
}

TEST(ZidDecimate, TrailingPartialBlockIsIgnored) {
    const std::vector<double> in = {1, 1, 1, 1, 2, 2, 2, 2, 9, 9};
    std::vector<float> out(3, sentinel);
    ASSERT_EQ(yin_decimate(in.data(), 10, 2, out.data(), 3), 2);
    EXPECT_EQ(out[0], 1.0f);
    EXPECT_EQ(out[1], 2.0f);
    EXPECT_EQ(out[2], sentinel);
}

TEST(ZidDecimate, NeverWritesPastTheRoomLeft) {
    std::vector<double> in(64, 0.25);
    std::vector<float> out(6, sentinel);
    ASSERT_EQ(yin_decimate(in.data(), 64, 2, out.data(), 5), 5);
    EXPECT_EQ(out[4], 0.25f);
    EXPECT_EQ(out[5], sentinel);
}

TEST(ZidDecimate, NothingToDo) {
    const double in[8] = {};
    float out = sentinel;
    EXPECT_EQ(yin_decimate(in, 0, 0, &out, 1), 0);
    EXPECT_EQ(yin_decimate(in, -8, 0, &out, 1), 0);
    EXPECT_EQ(yin_decimate(in, 3, 2, &out, 1), 0);  // fewer frames than one block
    EXPECT_EQ(yin_decimate(in, 8, 0, &out, 0), 0);
    EXPECT_EQ(yin_decimate(in, 8, 0, &out, -3), 0);
    EXPECT_EQ(out, sentinel);
}

std::vector<float> iota(int n) {
    std::vector<float> v(n);
    for (int i = 0; i < n; ++i) v[i] = static_cast<float>(i);
    return v;
}

TEST(ZidSlide, KeepsTheLatestSamplesOldestFirst) {
    // Hop shorter than the frame: the regions overlap.
    std::vector<float> b = iota(8 + 3);
    yin_slide(b.data(), 8, 3);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(b[i], i + 3.0f);
    // Hop longer than the frame.
    b = iota(4 + 10);
    yin_slide(b.data(), 4, 10);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(b[i], i + 10.0f);
    // No hop: the frame stays.
    b = iota(4);
    yin_slide(b.data(), 4, 0);
    EXPECT_EQ(b, iota(4));
}

}  // namespace
