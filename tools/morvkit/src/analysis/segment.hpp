// segment.hpp - one stretch of a long input, analysed on its own with the same rows as in one pass.
//
// A run over a segment is given the input from `first_frame` on.  Its object first runs on the
// audio before `start` (the warm-up), so that when `start` arrives its frame buffer, its
// decimation groups and its hop phase are exactly as in one pass over the whole input; the rows
// it makes during the warm-up are dropped.  A row belongs to the segment when the hop that made it
// ends after `start` and at or before `end`, positions counted in frames from the start of the
// whole input.  Cut at hop boundaries, the segments of an input share out its rows: every row
// falls in exactly one of them.
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

namespace morvkit {

struct Segment {
    static constexpr std::int64_t open_end = std::numeric_limits<std::int64_t>::max();

    std::int64_t first_frame = 0;
    std::int64_t start = 0;
    std::int64_t end = open_end;  // open_end: to the end of the input

    bool keeps(std::int64_t hop_end) const { return hop_end > start && hop_end <= end; }
    // The frames of the segment itself among the first `done` frames given to its run.
    std::int64_t own_frames(std::int64_t done) const;
    // How many frames from `first_frame` a run needs to complete the segment's last row, when a
    // row's frame reaches `lookahead` frames past the end of its hop; open_end when the segment
    // runs to the end of the input.
    std::int64_t frames_needed(std::int64_t lookahead) const;
};

// Cuts `frames` input frames at multiples of `hop` into at most `jobs` segments of about equal
// length, each at least `min_frames` and `warm_up` long (so that no process spends more on the
// warm-up than on its own part).  Each segment's warm-up is the fewest whole hops that span
// `warm_up` frames, cut at the start of the input.  The last segment runs to the end of the
// input, whatever it holds.  One segment (the whole input) when nothing is to be gained.
std::vector<Segment> plan_segments(std::int64_t frames, std::int64_t hop, std::int64_t warm_up,
                                   std::int64_t min_frames, int jobs);

}  // namespace morvkit
