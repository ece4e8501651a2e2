// settled.hpp - what each analysis settles on before its first row, and the rows it delivers.
//
// A run learns its geometry from the object (through the host, as a patch would) once its graph
// is compiled, and hands it to its observer as one of these structs; it becomes text only where
// results are written.  The structs hold only numbers and choices, so that the pieces which plan
// segments, estimate the cost or score the demo read them without a host.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace morvkit {

// zid~ at a sample rate and vector size: the geometry it derives (yin_geometry.h) and the
// parameters it keeps.
struct PitchSettled {
    struct Geometry {
        long down = 0;                                    // in effect, 0 to 3
        double analysis_rate = 0;                         // Hz, samplerate / 2^down
        long max_lag = 0, window_size = 0, hop_size = 0;  // in analysed (decimated) samples
    } geometry;
    struct Parameters {
        long down = 0;
        double minfreq = 0, period = 0;  // Hz, ms
        double threshold = 0;            // as the object keeps it: the message sent, or its default
    } parameters;

    // The seconds of input an analysis looks at: its two windows at the analysis rate.  0 when
    // the rate is not known.
    double frame_seconds() const;
};

// morv.centroid~ in pfft~: the frames as the container cuts them.
struct CentroidSettled {
    long fft_size = 0, overlap = 0, hop = 0;
    long bins = 0;           // per frame, fft_size / 2
    bool amplitude = false;  // the left inlet takes the amplitude, else real and imaginary parts
};

// morv.track~: its parameters as its attributes give them, and its reporting delay.
struct TrackSettled {
    double fmin = 0, fmax = 0;  // Hz
    double lag = 0;             // ms, the decoder's decision delay
    std::string unit;           // "hz" or "midi": the frequency column's
    double a4 = 0;              // Hz
    double delay = 0;           // ms from a sound to its report (the read-only @delay)
};

using Settled = std::variant<PitchSettled, CentroidSettled, TrackSettled>;

// The columns of the rows each run delivers, in order.
inline const std::vector<std::string> pitch_columns{"time", "frequency", "amplitude",
                                                    "periodicity"};
inline const std::vector<std::string> centroid_columns{"time", "centroid"};
inline const std::vector<std::string> track_columns{"time", "frequency", "voicing probability",
                                                    "voiced"};

// A note event as morv.track~ sends it ("pitch velocity", velocity 0 ending the sounding note), at
// the time of the sound, in seconds from the start of the input.
struct NoteEvent {
    double time = 0;
    long pitch = 0;     // MIDI note number
    long velocity = 0;  // 1 to 127, or 0
};

// The hop and the frame in input frames, from what zid~ settled on: a segment's hop and
// warm-up.  0 when the box analyses nothing periodically.
struct PitchSpan {
    std::int64_t hop = 0, frame = 0;
};
PitchSpan pitch_span(const PitchSettled &settled);

}  // namespace morvkit
