#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "analysis/segment.hpp"

namespace morvkit {
namespace {

constexpr auto open_end = Segment::open_end;

TEST(PlanSegments, CutsAtHopsWithWholeHopWarmUps) {
    struct Case {
        std::int64_t frames, hop, warm_up, min_frames;
        int jobs;
        std::vector<Segment> expected;  // {first_frame, start, end}
    };
    const std::vector<Case> cases = {
        {100000, 256, 1504, 1000, 1, {{0, 0, open_end}}},
        // Too short for a second segment of min_frames.
        {1500, 256, 1504, 1000, 4, {{0, 0, open_end}}},
        // 9 whole hops shared 5 + 4; a warm-up of 1152 frames takes 5 hops, back to the start.
        {2400, 256, 1152, 1000, 2, {{0, 0, 1280}, {0, 1280, open_end}}},
        // Even hops; warm-ups of 6 whole hops; the frames after the last hop go to the last.
        {100000,
         256,
         1504,
         30000,
         3,
         {{0, 0, 33280}, {31744, 33280, 66560}, {65024, 66560, open_end}}},
        // A warm-up of exactly two hops; fewer segments than jobs when they would be too short;
        // the hops that do not share out evenly go to the first segments.
        {1000, 100, 200, 300, 8, {{0, 0, 400}, {200, 400, 700}, {500, 700, open_end}}},
        // Nothing to cut: no hop (no periodic analyses) or no known length.
        {100000, 0, 0, 1000, 4, {{0, 0, open_end}}},
        {0, 256, 1504, 1000, 4, {{0, 0, open_end}}},
    };
    for (const auto &c : cases) {
        const auto got = plan_segments(c.frames, c.hop, c.warm_up, c.min_frames, c.jobs);
        ASSERT_EQ(got.size(), c.expected.size()) << c.frames << " " << c.jobs;
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].first_frame, c.expected[i].first_frame) << c.frames << " #" << i;
            EXPECT_EQ(got[i].start, c.expected[i].start) << c.frames << " #" << i;
            EXPECT_EQ(got[i].end, c.expected[i].end) << c.frames << " #" << i;
        }
    }
}

TEST(PlanSegments, EveryHopEndBelongsToExactlyOneSegment) {
    for (int jobs : {2, 3, 7, 64}) {
        const auto segments = plan_segments(1'000'003, 192, 4416, 4096, jobs);
        for (std::int64_t hop_end = 192; hop_end <= 1'100'000; hop_end += 192) {
            int owners = 0;
            for (const auto &s : segments) owners += s.keeps(hop_end);
            ASSERT_EQ(owners, 1) << jobs << " " << hop_end;
        }
    }
}

TEST(Segment, OwnFramesAndFramesNeeded) {
    const Segment s{1000, 3000, 5000};
    EXPECT_EQ(s.own_frames(0), 0);
    EXPECT_EQ(s.own_frames(2500), 500);
    EXPECT_EQ(s.own_frames(9000), 2000);
    EXPECT_EQ(s.frames_needed(0), 4000);
    EXPECT_EQ(s.frames_needed(768), 4768);
    EXPECT_EQ(Segment{}.frames_needed(768), open_end);
    EXPECT_EQ((Segment{0, 0, open_end - 10}.frames_needed(768)), open_end);  // no overflow
}

}  // namespace
}  // namespace morvkit
