// track_notes - notes from the decided pitch path: onset, offset, re-attack, pitch and velocity.
//
// Contract: track_notes_step looks at the frame being decided (path[0]) and the tentative path
// that follows it (path[1 .. count - 1], from the decoder), and returns the note events that
// belong to that frame, each stamped with that frame's time, so that every note starts and ends
// where the sound does, however late the decision.  A note starts on a voiced frame whose next
// `min_frames` frames (as many as the path holds) are voiced and within `change_semitones` of their
// median pitch, which becomes the note's pitch (a fractional MIDI note); its velocity comes from
// the loudest of them.  A sounding note ends on an unvoiced frame; when `change_frames` frames in a
// row stray more than `change_semitones` from its pitch; or when the level rises by `reattack_db`
// over the last `reattack_span` frames, at the steepest frame of the rise (a repeated note), once
// it has lasted `min_frames`.  A frame that ends a note may start the next one.  So a note never
// starts while another sounds, and every start is followed by one end.  No allocation.
#pragma once

#include <cstdint>

#include "track_decoder.h"

inline constexpr int kTrackMaxReattackSpan = 16;

struct track_note_params {
    int min_frames;            // >= 1
    double change_semitones;   // > 0
    int change_frames;         // >= 1
    double reattack_db;        // > 0
    int reattack_span;         // 1 .. kTrackMaxReattackSpan
    double a4;                 // Hz of MIDI note 69
    double velocity_floor_db;  // < 0: level of velocity 1; 0 dBFS is velocity 127
};

struct track_note {
    std::int64_t time;
    double pitch;  // fractional MIDI note
    int velocity;  // 1 .. 127, or 0: the end of the sounding note
};

struct track_notes {
    bool sounding;
    double pitch;
    int velocity;
    int frames;                            // decided frames since the sounding note began
    double levels[kTrackMaxReattackSpan];  // the last decided frames' levels, newest at `newest`
    int stored;
    int newest;
};

// No note sounds, no history.
track_notes track_notes_start();

// Writes up to two events (an end, then a start) to out and returns how many.  count >= 1.
int track_notes_step(track_notes &state, const track_note_params &params,
                     const track_decision *path, int count, track_note out[2]);

// Ends the sounding note, if any, at `time`: true when it wrote that end to *out.
bool track_notes_end(track_notes &state, std::int64_t time, track_note *out);

double track_midi_from_hz(double frequency, double a4);
