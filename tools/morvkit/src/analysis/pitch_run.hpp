// pitch_run.hpp - a sample stream through a zid~ box in the stand-in host.
//
// The box is created from its text as a user types it, "threshold" is sent as a message, the
// graph is compiled at the stream's rate with the chosen vector size, and the stream is played
// vector by vector (a last partial vector is padded with zeros), the scheduler running after
// each.  One row per analysis, recorded as the outlets fire (right to left): time, frequency,
// amplitude, periodicity, where time is the host's logical time in seconds when the scheduler
// delivered the analysis, counted from the start of the stream.  An analysis delivered after
// the end of the stream (at the end of the padded last vector) is not reported: its frame ends
// in the padding, and its time would lie beyond the input.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/run_observer.hpp"
#include "analysis/segment.hpp"
#include "input/sample_source.hpp"

namespace morvkit {

struct PitchSettings {
    std::string box_text = "zid~";
    std::optional<double> threshold;
    long vector_size = 64;
    // The stretch of a longer input that the source delivers; rows outside it are dropped, and
    // times count from the start of the whole input.
    Segment segment;
};

inline const std::vector<std::string> pitch_columns{"time", "frequency", "amplitude",
                                                    "periodicity"};

// What the box settles on ("geometry", "parameters") at this rate, learnt from a box made with
// these settings: nothing is analysed or delivered.
Json pitch_settled(double samplerate, const PitchSettings &settings);

// The hop and the frame in input frames, from what the box settled on: a segment's hop and
// warm-up.  0 when the box analyses nothing periodically.
struct PitchSpan {
    std::int64_t hop = 0, frame = 0;
};
PitchSpan pitch_span(const Json &settled);

// Returns the number of frames read from the source.  Stops with Interrupted at the next vector
// after a signal.
std::int64_t run_pitch(SampleSource &source, const PitchSettings &settings, RunObserver &observer);

}  // namespace morvkit
