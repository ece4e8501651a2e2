// yin_frames - zid~'s analysis without a host: the buffer that host vectors fill hop by hop after
// decimation, the frame it holds, and the estimates made from that frame.
//
// Contract.  A zero-initialised yin_frames ({}) holds no arrays and buffers nothing.
// yin_frames_configure takes a geometry: arrays of other sizes are replaced by zero-filled ones
// of the geometry's sizes (and the FFT plan with them), arrays of the same sizes keep their frame;
// either way the hop and the unfinished decimation group start empty.  When memory runs out the
// frames are left with no arrays and sizes 0, and the next configuration tries again.
// yin_frames_push decimates one host vector into the hop, dropping what does not fit in the room
// left; once the hop is complete it slides the frame and returns true: the frame then holds the
// newest 2 * window_size decimated samples and the next hop starts empty.  yin_frames_analyse
// estimates from the frame.  Only configure and release allocate or free (a host configures when
// the geometry changes, on the audio thread only at the start of a processing call); push and
// analyse never allocate, lock or block.  One thread at a time.
#pragma once

#include <stdint.h>

#include "yin_decimate.h"
#include "yin_geometry.h"

struct yin_fft_correlation;

struct yin_frames {
    float *buffer;  // hop_size + 2 * window_size floats: the frame, then the incoming hop
    float *acf;     // window_size + 4 floats: the estimator's correlation output
    // The estimator's FFT plan for long windows, made and freed with the arrays (null when the
    // direct correlation is faster at this window size).
    yin_fft_correlation *fft_plan;
    int32_t window_size;  // these three are 0 while there are no arrays
    int32_t max_lag;
    int32_t hop_size;
    int32_t down;  // the geometry's exponent
    int32_t fill;  // decimated samples of the current hop so far
    // The decimation group left unfinished by the last vector.
    yin_group partial;
    double analysis_rate;
};

// What one analysis of the frame found.
struct yin_estimate {
    double frequency;    // Hz: the analysis rate over the period found, in decimated samples
    double amplitude;    // root-mean-square of the frame's first window
    double periodicity;  // 1 minus the square root of the aperiodicity, 0 to 1
};

// Returns false, leaving no arrays, when memory ran out.
bool yin_frames_configure(yin_frames *frames, const yin_geometry &geometry);
// Returns true when this vector completed a hop.  Nothing happens without arrays.
bool yin_frames_push(yin_frames *frames, const double *in, long count);
// `threshold` as the estimator takes it (yinutils.h).  Needs arrays.
yin_estimate yin_frames_analyse(const yin_frames *frames, double threshold);
// Frees the arrays and the plan; the frames are then as zero-initialised.
void yin_frames_release(yin_frames *frames);
