// yin.h - the instance record of zid~.
//
// Fields shared between threads (parameters, flags, versions, results) are plain fields; every
// cross-thread access is atomic, through load and store in yin.cpp, so reads always see whole
// values and the hand-offs are ordered by param_version and by the clock.
#pragma once

#include <stdint.h>

#include "ext.h"
#include "z_dsp.h"
#include "yin_frames.h"

typedef struct _yin {
    t_pxobject x_obj;
    // The buffer, the frame and the geometry they were made for.  Audio thread only.
    yin_frames frames;
    int32_t max_vector_size;
    // "down" is a 32-bit value in the low half of a 64-bit slot: the host's plain getter reads a
    // "long" attribute as the platform's long, 8 bytes on Linux and macOS but 4 on 64-bit
    // Windows, and sees the same value either way, since the high half stays 0.
    alignas(8) int32_t down;
    int32_t down_high;
    double minfreq;
    double period;
    double samplerate;
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
} yin_t;
