#include "analysis/segment.hpp"

#include <algorithm>

namespace morvkit {

std::int64_t Segment::own_frames(std::int64_t done) const {
    const std::int64_t at = first_frame + std::max<std::int64_t>(done, 0);
    return std::clamp(at, start, end) - start;
}

std::int64_t Segment::frames_needed(std::int64_t lookahead) const {
    if (end == open_end || lookahead > open_end - end)
        return open_end;
    return end + lookahead - first_frame;
}

std::vector<Segment> plan_segments(std::int64_t frames, std::int64_t hop, std::int64_t warm_up,
                                   std::int64_t min_frames, int jobs) {
    const std::vector<Segment> whole{Segment{}};
    if (jobs <= 1 || hop <= 0 || frames <= 0)
        return whole;
    const std::int64_t hops = frames / hop;
    const std::int64_t shortest = std::max({min_frames, warm_up, hop});
    const std::int64_t parts = std::min<std::int64_t>(jobs, hops * hop / shortest);
    if (parts <= 1)
        return whole;
    const std::int64_t warm_hops = warm_up / hop + (warm_up % hop != 0);
    std::vector<Segment> segments;
    for (std::int64_t k = 0; k < parts; ++k) {
        // Hops shared out as evenly as whole hops allow, without forming hops * k.
        const auto boundary = [&](std::int64_t i) {
            return (hops / parts * i + std::min(i, hops % parts)) * hop;
        };
        Segment s;
        s.start = boundary(k);
        s.end = k + 1 == parts ? Segment::open_end : boundary(k + 1);
        s.first_frame = s.start / hop > warm_hops ? s.start - warm_hops * hop : 0;
        segments.push_back(s);
    }
    return segments;
}

}  // namespace morvkit
