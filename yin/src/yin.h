// yin.h - the instance record of zid~.
//
// Fields shared between threads (parameters, flags, versions, results) are plain fields; every
// cross-thread access is atomic, through load and store in yin.cpp, so reads always see whole
// values and the hand-offs are ordered by param_version and by the clock.
#pragma once

#include <stdint.h>

#include "ext.h"
#include "z_dsp.h"
#include "yin_decimate.h"

typedef struct _yin {
    t_pxobject x_obj;
    float *buffer;  // hop_size + 2 * window_size floats: the frame, then the incoming hop
    float *acf;     // window_size + 4 floats: the estimator's correlation output
    int32_t window_size;
    int32_t max_lag;
    int32_t hop_size;
    int32_t max_vector_size;
    int32_t applied_down;
    int32_t fill;
    // "down" is a 32-bit value in the low half of a 64-bit slot: the host's plain getter reads a
    // "long" attribute as the platform's long, 8 bytes on Linux and macOS but 4 on 64-bit
    // Windows, and sees the same value either way, since the high half stays 0.
    alignas(8) int32_t down;
    int32_t down_high;
    double minfreq;
    double period;
    double samplerate;
    double analysis_rate;
    double threshold;
    int32_t triggered;
    double frequency;
    double amplitude;
    int32_t active;
    uint32_t param_version;
    uint32_t applied_version;
    double periodicity;
    void *frequency_outlet;
    void *amplitude_outlet;
    void *periodicity_outlet;
    t_clock *clock;
    // The decimation group left unfinished by the last vector, emptied with `fill` at every
    // derivation of the geometry.  Audio thread only.
    yin_group partial;
    // The estimator's FFT plan for long windows, made and freed with the arrays (null when the
    // direct correlation is faster at this window size).  Audio thread only.
    struct yin_fft_correlation *fft_plan;
} yin_t;
