// Decimation into the analysis buffer, with groups that span calls, and the hop slide.
#include <gtest/gtest.h>

#include <algorithm>
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
        yin_group partial{0.0, 0};
        ASSERT_EQ(yin_decimate(in.data(), 16, down, &partial, out.data(), 16), 16 / block);
        for (int i = 0; i < 16 / block; ++i)
            EXPECT_FLOAT_EQ(out[i], i * block + (block - 1) / 2.0f) << "down " << down;
        EXPECT_EQ(out[16 / block], sentinel);
        EXPECT_EQ(partial.count, 0);
    }
}

TEST(ZidDecimate, SumsInDoublePrecisionAndNarrowsOnce) {
    // A float accumulator would lose the small terms next to the large ones.
    const double in[4] = {1e8, 1.0, -1e8, 1.0};
    float out = sentinel;
    yin_group partial{0.0, 0};
    ASSERT_EQ(yin_decimate(in, 4, 2, &partial, &out, 1), 1);
    EXPECT_EQ(out, 0.5f);
    // A narrowing copy rounds to the nearest float.
    const double tenth = 0.1;
    ASSERT_EQ(yin_decimate(&tenth, 1, 0, &partial, &out, 1), 1);
    EXPECT_EQ(out, 0.1f);
}

TEST(ZidDecimate, TrailingSamplesAreCompletedByTheNextCall) {
    const std::vector<double> in = {1, 1, 1, 1, 2, 2, 2, 2, 9, 9};
    std::vector<float> out(4, sentinel);
    yin_group partial{0.0, 0};
    ASSERT_EQ(yin_decimate(in.data(), 10, 2, &partial, out.data(), 4), 2);
    EXPECT_EQ(out[0], 1.0f);
    EXPECT_EQ(out[1], 2.0f);
    EXPECT_EQ(out[2], sentinel);
    EXPECT_EQ(partial.sum, 18.0);
    EXPECT_EQ(partial.count, 2);
    const double next[3] = {5, 5, 7};
    ASSERT_EQ(yin_decimate(next, 3, 2, &partial, out.data() + 2, 2), 1);
    EXPECT_EQ(out[2], 7.0f);  // (9 + 9 + 5 + 5) / 4
    EXPECT_EQ(partial.count, 1);
}

TEST(ZidDecimate, AnySplitOfTheStreamGivesTheSameSamples) {
    // Large terms absorb the small ones before them, so a group summed in another order or in
    // pieces from separate starts comes out different.
    std::vector<double> in(240);
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = i % 4 == 0 ? 1e17 : (i % 4 == 2 ? -1e17 : static_cast<double>(i % 7 + 1));
    const std::vector<std::vector<long>> splits = {{1}, {2}, {3}, {5, 1}, {7}, {63}, {9, 4, 1, 11}};
    for (int32_t down = 0; down <= 3; ++down) {
        const int32_t n = static_cast<int32_t>(in.size()) >> down;
        std::vector<float> whole(n);
        yin_group partial{0.0, 0};
        ASSERT_EQ(yin_decimate(in.data(), 240, down, &partial, whole.data(), n), n);
        for (const auto &split : splits) {
            std::vector<float> out(n + 1, sentinel);
            int32_t written = 0;
            partial = {0.0, 0};
            for (long at = 0, k = 0; at < 240; at += split[k++ % split.size()]) {
                const long frames = std::min<long>(split[k % split.size()], 240 - at);
                written += yin_decimate(in.data() + at, frames, down, &partial,
                                        out.data() + written, n + 1 - written);
            }
            SCOPED_TRACE(testing::Message() << "down " << down << ", first call " << split[0]);
            EXPECT_EQ(written, n);
            EXPECT_EQ(partial.count, 0);
            out.resize(n);
            EXPECT_EQ(out, whole);  // bit for bit: == on floats, none is NaN
        }
    }
}

TEST(ZidDecimate, NeverWritesPastTheRoomLeftAndDropsTheRest) {
    std::vector<double> in(64, 0.25);
    std::vector<float> out(6, sentinel);
    yin_group partial{0.0, 0};
    ASSERT_EQ(yin_decimate(in.data(), 63, 2, &partial, out.data(), 5), 5);
    EXPECT_EQ(out[4], 0.25f);
    EXPECT_EQ(out[5], sentinel);
    EXPECT_EQ(partial.count, 0);  // the samples after the room was used up start no group
    // A carried group that fills the last place: the rest of the call is dropped.
    partial = {0.75, 3};
    ASSERT_EQ(yin_decimate(in.data(), 10, 2, &partial, out.data() + 5, 1), 1);
    EXPECT_EQ(out[5], 0.25f);
    EXPECT_EQ(partial.count, 0);
    // A group as large as a whole block is not read on from: it is dropped.
    partial = {9.0, 4};
    ASSERT_EQ(yin_decimate(in.data(), 6, 2, &partial, out.data(), 6), 1);
    EXPECT_EQ(out[0], 0.25f);
    EXPECT_EQ(partial.count, 2);
}

TEST(ZidDecimate, NothingToDo) {
    const double in[8] = {};
    float out = sentinel;
    yin_group partial{0.5, 1};
    EXPECT_EQ(yin_decimate(in, 0, 0, &partial, &out, 1), 0);
    EXPECT_EQ(yin_decimate(in, -8, 0, &partial, &out, 1), 0);
    EXPECT_EQ(yin_decimate(in, 8, 0, &partial, &out, 0), 0);
    EXPECT_EQ(yin_decimate(in, 8, 0, &partial, &out, -3), 0);
    EXPECT_EQ(out, sentinel);
    EXPECT_EQ(partial.sum, 0.5);
    EXPECT_EQ(partial.count, 1);
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
