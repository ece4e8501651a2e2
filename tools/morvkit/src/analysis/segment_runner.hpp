// segment_runner.hpp - one input analysed by several processes at once, its rows in order.
//
// The first segment runs in this process and its rows go straight to the observer as they are
// made; every other segment runs in a child process of its own (process/child_process.hpp) that
// spools its rows to an anonymous temporary file.  When the first segment is done, each child's
// rows follow in turn as soon as that child has finished, so the observer sees exactly the rows of
// one pass, in the same order, and memory stays flat.  Progress counts the frames of every
// segment as they are analysed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "analysis/run_observer.hpp"
#include "analysis/segment.hpp"

namespace morvkit {

// Runs one segment; returns the position in the whole input where its reading ended.
using SegmentRun = std::function<std::int64_t(const Segment &, RunObserver &)>;

// Returns where the input ended as far as any segment read it.  A child's failure is reported
// with its message and status once the segments before it are through.
std::int64_t run_segments(const std::vector<Segment> &segments, std::size_t columns,
                          const SegmentRun &run, RunObserver &observer);

}  // namespace morvkit
