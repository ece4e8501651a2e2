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

#include "run_observer.hpp"
#include "sample_source.hpp"

namespace morvkit {

struct PitchSettings {
    std::string box_text = "zid~";
    std::optional<double> threshold;
    long vector_size = 64;
};

inline const std::vector<std::string> pitch_columns{"time", "frequency", "amplitude",
                                                    "periodicity"};

// Returns the number of frames read from the source.  Stops with Interrupted at the next vector
// after a signal.
std::int64_t run_pitch(SampleSource &source, const PitchSettings &settings, RunObserver &observer);

}  // namespace morvkit
