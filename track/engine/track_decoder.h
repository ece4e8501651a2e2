// track_decoder - the most likely pitch and voicing path through the frames, decided a fixed
// number of frames behind the newest.
//
// Contract: the hidden states of a frame are pitch bins (`cents_per_bin` wide) in a voiced copy,
// and one unvoiced state.  A voiced bin's observation is the probability of the frame's candidates
// that fall into it, and a bin without candidates cannot be voiced in that frame, so only the
// occupied bins are kept: at most kTrackMaxCandidates voiced states and the unvoiced one per frame
// (the sparse form of the full bins x voicing grid).  Transitions: a voiced bin moves to a bin at
// most `band` bins away at a cost linear in the distance; farther, at the cost `jump` (a new note
// in legato); voiced and unvoiced switch with probability `switch_probability`.  The unvoiced
// state's observation is (1 - voicing) times `unvoiced_weight`; a frame's `belief` in [0, 1]
// scales its candidates' probabilities (and so its voicing) in both.
//
// track_decoder_step takes one frame and, once `lag` frames have followed the first, traces the
// best path back from the newest frame: path[0] is the decision for the frame `lag` behind the
// newest, path[1 .. lag] the path's tentative continuation up to the newest.  Memory is fixed at
// creation ((lag + 1) frames); a step allocates nothing.  lag 0 decides every frame as it comes.
#pragma once

#include <cstdint>

#include "track_candidates.h"

struct track_decoder_params {
    int lag;                    // frames, 0 or more
    double reference_hz;        // pitch of bin 0
    double cents_per_bin;       // > 0
    int band;                   // largest move in bins at the linear cost
    double cost_per_bin;        // log-probability lost per bin moved
    double jump;                // log-probability of a move beyond the band (-inf: none)
    double switch_probability;  // voiced <-> unvoiced, in (0, 1)
    double unvoiced_weight;     // > 0
};

// What the decoder is told about a frame.
struct track_observation {
    std::int64_t time;  // opaque to the decoder, handed back with the decision
    double level_db;    // likewise
    double rate;        // analysis rate: a candidate's frequency is rate / lag
    double belief;      // 0 .. 1, how far the candidates are to be believed
    track_candidates candidates;
};

// One frame of the decided or tentative path.
struct track_decision {
    std::int64_t time;
    double level_db;
    double voicing;    // the frame's voicing probability, as its candidates give it (no belief)
    bool voiced;       // the path's state
    double frequency;  // Hz: the voiced state's; when unvoiced, that of the frame's best voiced
                       // state (its best path's end), or 0 when it has none
};

struct track_decoder;

// Null when memory runs out or a parameter is out of range.
track_decoder *track_decoder_new(const track_decoder_params &params);
void track_decoder_free(track_decoder *decoder);
// Forgets every frame; the next step starts a new path.
void track_decoder_reset(track_decoder *decoder);
int track_decoder_lag(const track_decoder *decoder);

// Returns how many frames it wrote to path: lag + 1, or 0 while fewer than lag + 1 frames have
// come since the start or the last reset.
int track_decoder_step(track_decoder *decoder, const track_observation &frame,
                       track_decision *path);
