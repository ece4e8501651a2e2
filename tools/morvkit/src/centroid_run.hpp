// centroid_run.hpp - a sample stream through morv.centroid~ inside the stand-in host's pfft~.
//
// The container cuts the stream into Hann-windowed frames of `fft_size` samples, one every
// fft_size / overlap samples, and hands the object each frame's bins: real and imaginary parts
// on its two inlets, or (amplitude mode) the bin amplitude on the left inlet only.  One row per
// frame: time, centroid.  Time is the centre of the frame's window, in seconds from the start of
// the stream, (j * hop + fft_size / 2) / samplerate for frame j.  Samples after the last whole
// frame are not analysed, so an input shorter than one FFT yields no rows.
#pragma once

#include "pitch_run.hpp"
#include "sample_source.hpp"
#include "table.hpp"
#include "writers.hpp"

namespace morvkit {

struct CentroidSettings {
    long fft_size = 1024;
    long overlap = 4;
    bool amplitude = false;
};

struct CentroidResult {
    Table rows{{"time", "centroid"}};
    Json geometry;
};

CentroidResult run_centroid(SampleSource &source, const CentroidSettings &settings,
                            const ProgressCallback &progress = {});

}  // namespace morvkit
