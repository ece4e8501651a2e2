// track_run.hpp - a sample stream through a morv.track~ box in the stand-in host.
//
// The box is made from its text, as a user types it, and the stream is played into it as
// box_player.hpp says, followed by as much silence as the box's reporting delay, so that the
// decoder reports every frame of the stream.  One row per frame, recorded as the outlets fire
// (right to left): time, frequency (as the object sends it: in its unit, negative for an unvoiced
// frame's best guess, 0 for none), voicing probability, voiced (1 when the frequency is above 0).
// The time is where the sound is: the host's logical time when the scheduler delivered the frame,
// less the delay the box reports in its read-only attribute "delay"; frames the scheduler delivers
// together are spread evenly over the vector that made them, which is exact when the vector size
// and the object's hop are powers of two.  Rows whose time lies beyond the stream are not
// reported, and a note event's time is that of the frame it came with, kept within the stream.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "analysis/run_observer.hpp"
#include "analysis/track_box.hpp"
#include "analysis/settled.hpp"
#include "input/sample_source.hpp"

namespace morvkit {

struct TrackSettings {
    std::string box_text = "morv.track~";
    long vector_size = 64;
};

using NoteReceiver = std::function<void(const NoteEvent &)>;

// Runs the stream through a new box; the observer is started with a TrackSettled.  Returns the
// number of frames read from the source.  Stops with Interrupted at the next vector after a signal.
std::int64_t run_track(SampleSource &source, const TrackSettings &settings, RunObserver &observer,
                       const NoteReceiver &notes);

}  // namespace morvkit
