// track.h - the instance record of morv.track~.
//
// Three threads meet here, as in zid~: the main thread stores parameters and requests, the audio
// thread analyses, the scheduler sends.  Fields shared between them are plain fields, accessed
// atomically in place in track.cpp: parameters relaxed and published by a release increment of
// `param_version` (a new engine) or `epoch` (a restart: any sounding note ends), read with acquire;
// results travel through `queue`.  The engine belongs to the audio thread alone, the notes' state
// (what was last sent) to the scheduler alone.
#pragma once

#include <stdint.h>

#include "ext.h"
#include "z_dsp.h"
#include "track_queue.h"

struct track_engine;

typedef struct _track {
    t_pxobject x_obj;
    // Attributes (main thread writes).
    double fmin;
    double fmax;
    double lag;      // ms
    t_symbol *unit;  // "hz" or "midi"; read by the scheduler
    double a4;       // read by the scheduler
    double delay;    // ms from a sound to its report; read-only, kept current by the main thread
    int32_t active;
    double samplerate;
    uint32_t param_version;
    uint32_t epoch;
    // Audio thread.
    uint32_t applied_version;
    uint32_t applied_epoch;
    struct track_engine *engine;
    int32_t queued;  // events queued during this perform call
    // Scheduler.
    int32_t sounding;  // a note-on has been sent and its end not yet
    int32_t sounding_pitch;
    uint32_t sounding_epoch;
    void *pitch_outlet;
    void *voicing_outlet;
    void *notes_outlet;
    t_clock *clock;
    track_queue queue;
} track_t;
