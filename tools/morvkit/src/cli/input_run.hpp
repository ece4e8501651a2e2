// input_run.hpp - one input through one analysis, the parts every file-reading command shares.
//
// A command opens its input and its result files, makes the head of its table from the input
// and its settings, and cuts a long input into segments for --jobs processes; the runs go
// through `analyse_segments`, which also ends the table with what only the end knows.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "analysis/run_observer.hpp"
#include "analysis/segment.hpp"
#include "cli/options.hpp"
#include "input/audio_file.hpp"
#include "output/result_stream.hpp"
#include "output/writers.hpp"

namespace morvkit {

// The head's fields every command writes first: the file, its rate and channels, the channel
// analysed, and the settings that make the rows.
Json source_head(const Options &options, const AudioFileSource &source);

// The shortest segment worth a process of its own: starting one and reading its warm-up cost a
// few milliseconds.
inline constexpr std::int64_t min_segment_frames = 1 << 15;

// The frames an input surely holds, for cutting it into segments: 0 when its header announces
// no length, and for standard input, which a segment's process cannot open again.
std::int64_t known_frames(const Options &options, const AudioFileSource &source);

// One run over a segment of the input, its rows to the observer; returns the frames it read.
using Analyse = std::function<std::int64_t(SampleSource &, const Segment &, RunObserver &)>;

// Runs `analyse` over the segments (the first on the source already open here, each other one in
// a process of its own) and ends the table: the frames actually read, and what the header
// announced when that differs.  A file that decoded to nothing is refused like an empty one.
void analyse_segments(const Options &options, AudioFileSource &source, ResultStream &stream,
                      const std::vector<Segment> &segments, std::size_t columns,
                      const Analyse &analyse);

}  // namespace morvkit
