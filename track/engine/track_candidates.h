// track_candidates - the period candidates of one analysis frame, with their probabilities.
//
// Contract: track_find_candidates reads the cumulative-mean-normalised difference d'(tau) of one
// frame (yin_normalised_difference) over the lags of the wanted range and applies the YIN rule
// under a distribution of thresholds instead of one: for each of the 100 thresholds s = 0.01 ..
// 1.00, the first dip of d' (in increasing lag, refined by a parabola) whose value is below s is
// the period, and it earns that threshold's prior weight.  A threshold that no dip passes gives
// `no_dip_share` of its weight to the deepest dip and the rest to "unvoiced".  The voicing
// probability is the sum of the candidates' probabilities, in [0, 1].  Pure: no allocation, no
// state, everything on the stack.
#pragma once

inline constexpr int kTrackThresholds = 100;
inline constexpr int kTrackMaxCandidates = 16;

// The prior over the thresholds as a cumulative table: cumulative[k] is the weight of thresholds
// 0.01 .. k / 100, so cumulative[0] = 0 and cumulative[100] = 1.
struct track_prior {
    double cumulative[kTrackThresholds + 1];
};

// The weights of a beta distribution Beta(alpha, beta) over (0, 1]: each threshold s gets the
// probability of (s - 0.01, s].  Whole-number parameters, so the density takes products alone
// and the table is bit for bit the same on every platform; they are clamped to 1 .. 1000.
track_prior track_beta_prior(int alpha, int beta);

struct track_candidate {
    double lag;          // period in analysis samples, fractional
    double probability;  // > 0
};

struct track_candidates {
    int count;  // 0 .. kTrackMaxCandidates, the most probable ones, in increasing lag
    double voicing;
    track_candidate candidate[kTrackMaxCandidates];
};

// Dips are looked for at lags min_lag .. max_lag - 2 (min_lag at least 2), so normalised[] is read
// at min_lag - 1 .. max_lag - 1.  NaN values are never dips.
track_candidates track_find_candidates(const double *normalised, int min_lag, int max_lag,
                                       const track_prior &prior, double no_dip_share);
