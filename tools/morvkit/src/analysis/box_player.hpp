// box_player.hpp - a sample stream played into one box's signal inlet, as a patch's audio would.
//
// The graph is compiled at the stream's rate with the chosen vector size, and the stream is played
// vector by vector (a last partial vector is padded with zeros), the scheduler running after each
// so that what the box's clocks send arrives with the host's logical time of the vector's end.
// After the stream, `tail` more frames of silence may follow: an object that reports late (a
// decoder deciding behind the newest frame) then reports the end of the stream too.  Stops with
// Interrupted at the next vector after a signal.
#pragma once

#include <cstdint>
#include <functional>

#include "input/sample_source.hpp"

namespace morvhost {
class Box;
}

namespace morvkit {

struct BoxPlay {
    long vector_size = 64;
    std::int64_t needed = 0;  // frames to read at most from the source
    std::int64_t tail = 0;    // frames of silence after the stream; `started` may set it
    // Once, after the first vector was processed and before the scheduler runs, with the host's
    // logical time (samples) at the start of the stream.
    std::function<void(std::int64_t)> started;
    // After every vector is processed, before the scheduler runs, and again after it ran, with
    // the frames read from the source so far.
    std::function<void(std::int64_t)> processed, delivered;
};

// Returns the number of frames read from the source.  Throws Error(usage) for a vector size
// below 1 and Error(analysis) when the graph cannot be compiled.
std::int64_t play_into_box(morvhost::Box &box, SampleSource &source, BoxPlay &play);

}  // namespace morvkit
