// pitch_range.hpp - the range of pitches a user expects, in Hz, turned into zid~'s parameters.
//
// zid~ is set by "down" (the input is decimated by 2^down) and "minfreq" (the lowest frequency,
// which sets the longest lag).  A user knows their instrument's range instead.  --fmin sets
// minfreq, up to a quarter of the analysis rate, the most zid~ accepts.  --fmax chooses down: the
// largest, 0 to 3, whose analysis rate still holds `min_samples_per_period` samples in a period at
// fmax.  The figure comes from the accuracy benchmark (bench/pitch_accuracy.cpp;
// docs/measurements.md): with fewer samples per period, a period that falls between samples leaves
// a shallower dip than two or three periods that fall nearly on a sample, and the estimate drops
// to that subharmonic with a high periodicity, which no gate catches.  Spectra with a weak or
// missing fundamental need the most samples.
#pragma once

#include <optional>
#include <string>

#include "analysis/settled.hpp"

namespace morvkit {

inline constexpr double min_samples_per_period = 21;

struct PitchRange {
    std::optional<double> fmin, fmax;  // Hz, above 0; fmin below fmax
    bool any() const { return fmin || fmax; }
};

struct RangeChoice {
    std::optional<long> down;
    std::optional<double> minfreq;
    std::string warning;  // empty, or why the range will not be served as well as asked
};

// The parameters for `range` at `samplerate`.  Error(usage) when fmax is not below half the
// sample rate; a warning naming the limit when it is above samplerate / min_samples_per_period
// (down is then 0, the best there is).
RangeChoice choose_parameters(const PitchRange &range, double samplerate);

// Error(usage) naming the limit when fmin lies above a quarter of the analysis rate the box
// settled on: zid~ would quietly analyse from that frequency up instead.
void check_fmin(const PitchRange &range, const PitchSettled &settled);

}  // namespace morvkit
