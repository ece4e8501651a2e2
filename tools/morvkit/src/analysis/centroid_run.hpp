// centroid_run.hpp - a sample stream through morv.centroid~ inside the stand-in host's pfft~.
//
// The container cuts the stream into Hann-windowed frames of `fft_size` samples, one every
// fft_size / overlap samples, and hands the object each frame's bins: real and imaginary parts
// on its two inlets, or (amplitude mode) the bin amplitude on the left inlet only.  One row per
// frame: time, centroid.  Time is the centre of the frame's window, in seconds from the start of
// the stream, (j * hop + fft_size / 2) / samplerate for frame j.  Samples after the last whole
// frame are not analysed, so an input shorter than one FFT yields no rows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/run_observer.hpp"
#include "analysis/segment.hpp"
#include "input/sample_source.hpp"

namespace morvkit {

struct CentroidSettings {
    long fft_size = 1024;
    long overlap = 4;
    bool amplitude = false;
    // The stretch of a longer input that the source delivers (frames are whole within it, so it
    // needs no warm-up); frame j's hop is [j*hop, (j+1)*hop).
    Segment segment;
};

// Returns the number of frames read from the source.  Stops with Interrupted at the next hop
// after a signal.
std::int64_t run_centroid(SampleSource &source, const CentroidSettings &settings,
                          RunObserver &observer);

}  // namespace morvkit
