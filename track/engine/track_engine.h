// track_engine - the tracker as one pipeline: samples in; decided frames (pitch, voicing) and
// notes out, every one stamped with the time of the sound it describes.
//
// Contract: track_engine_new derives the analysis geometry from the settings (track_geometry) and
// allocates everything; track_engine_push then takes any number of input samples at a time,
// allocates nothing, keeps no lock, makes no system call, and calls the sink for each frame it
// decides and each note event, in time order (a frame's note events before the frame), whatever
// the cut of the input into pushes.  A frame's time is the input sample at the centre of its
// analysis, counted from the first sample pushed after creation or reset; it is reported exactly
// `delay` samples later, when the push reaches that sample (track_engine_delay).  Notes follow
// track_notes.h: they never overlap, and track_engine_reset ends a sounding one first.  Frames
// whose time would lie before the first sample are skipped.
//
// Per frame: the estimator's normalised difference and its candidates (track_candidates.h), none
// below -60 dBFS; the decoder (track_decoder.h), which believes them less and less as the frame's
// level falls from 6 to 14 dB below the recent peak level, and as it falls by 3 to 6 dB within
// 45 ms (a release or a room's tail keeps its pitch while it dies away); the notes
// (track_notes.h) on its path.
#pragma once

#include <cstdint>

#include "track_decoder.h"
#include "track_notes.h"

struct track_settings {
    double samplerate;  // Hz of the input
    double fmin;        // Hz, the lowest pitch looked for
    double fmax;        // Hz, the highest
    double lag_ms;      // how long after the newest frame a frame is decided; 0: at once
    double a4;          // Hz of MIDI note 69, for the notes' pitches
};

// The analysis geometry: a pure function of the settings, total over any input (NaN, infinite,
// negative or huge values are clamped into the ranges below).
struct track_geometry {
    int down;            // input samples are averaged in groups of 2^down (0 .. 3)
    double rate;         // analysis rate, samplerate / 2^down
    int min_lag;         // shortest period looked for, analysis samples (>= 2)
    int max_lag;         // the estimator's lag count: longest period + 2 (>= min_lag + 4)
    int hop;             // analysis samples between frames (>= 1)
    int lag_frames;      // the decoder's lag (0 .. kTrackMaxLagFrames)
    std::int64_t delay;  // input samples from a frame's time to its report
};

inline constexpr int kTrackMaxLagFrames = 2000;

track_geometry track_derive_geometry(const track_settings &settings);

struct track_frame {
    std::int64_t time;  // input samples
    double frequency;   // Hz, of the path's state; when unvoiced, the likeliest candidate (or 0)
    double voicing;     // the frame's voicing probability, as its candidates give it
    bool voiced;        // the path's decision
    double level_db;    // the frame's RMS level in dBFS
};

struct track_sink {
    void *context;
    void (*frame)(void *context, const track_frame &frame);
    void (*note)(void *context, const track_note &note);
};

struct track_engine;

// Null when memory runs out.
track_engine *track_engine_new(const track_settings &settings);
void track_engine_free(track_engine *engine);
const track_geometry &track_engine_geometry(const track_engine *engine);

// Input samples from a frame's time to its report.
std::int64_t track_engine_delay(const track_engine *engine);

void track_engine_push(track_engine *engine, const double *samples, long count,
                       const track_sink &sink);

// Ends a sounding note at the time of the last reported frame (through the sink), then forgets
// everything: the next push starts at time 0 again.
void track_engine_reset(track_engine *engine, const track_sink &sink);
