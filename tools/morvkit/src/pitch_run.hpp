// pitch_run.hpp - a sample stream through a zid~ box in the stand-in host.
//
// The box is created from its text as a user types it, "threshold" is sent as a message, the
// graph is compiled at the stream's rate with the chosen vector size, and the stream is played
// vector by vector (a last partial vector is padded with zeros), the scheduler running after
// each.  One row per analysis, recorded as the outlets fire (right to left): time, frequency,
// amplitude, periodicity, where time is the host's logical time in seconds when the scheduler
// delivered the analysis, counted from the start of the stream.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "sample_source.hpp"
#include "table.hpp"
#include "writers.hpp"

namespace morvkit {

struct PitchSettings {
    std::string box_text = "zid~";
    std::optional<double> threshold;
    long vector_size = 64;
};

struct PitchResult {
    Table rows{{"time", "frequency", "amplitude", "periodicity"}};
    Json geometry;    // as the object derived it for the first vector; null if it never ran
    Json parameters;  // as the object holds them after clamping
    double frame_seconds = 0;  // span of one analysis frame, for judging results against truth
};

using ProgressCallback = std::function<void(std::int64_t frames_done)>;

PitchResult run_pitch(SampleSource &source, const PitchSettings &settings,
                      const ProgressCallback &progress = {});

}  // namespace morvkit
