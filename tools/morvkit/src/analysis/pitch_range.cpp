#include "analysis/pitch_range.hpp"

#include <cmath>

#include "base/errors.hpp"
#include "base/number_text.hpp"
#include "yin_geometry.h"

namespace morvkit {
namespace {

// zid~ caps minfreq at this share of its analysis rate: four lags are the fewest it examines.
constexpr double max_minfreq_share = 0.25;

}  // namespace

RangeChoice choose_parameters(const PitchRange &range, double samplerate) {
    RangeChoice choice;
    if (range.fmin)
        choice.minfreq = *range.fmin;
    if (!range.fmax)
        return choice;
    const double fmax = *range.fmax;
    if (!(fmax < samplerate / 2))
        throw Error(ExitStatus::usage, "--fmax " + format_number(fmax) +
                                           ": not below half the sample rate of " +
                                           format_number(samplerate) + " Hz");
    auto down = static_cast<long>(YIN_DOWN.highest);
    while (down > YIN_DOWN.lowest &&
           samplerate / static_cast<double>(1L << down) / fmax < min_samples_per_period)
        --down;
    choice.down = down;
    const double reliable = samplerate / min_samples_per_period;
    if (fmax > reliable)
        choice.warning = "--fmax " + format_number(fmax) + ": at " + format_number(samplerate) +
                         " Hz, notes above " + format_number(std::round(reliable)) + " Hz (" +
                         format_number(min_samples_per_period) +
                         " samples per period) may come out an octave or more low when their "
                         "fundamental is weak";
    return choice;
}

void check_fmin(const PitchRange &range, const PitchSettled &settled) {
    const double rate = settled.geometry.analysis_rate;
    if (range.fmin && *range.fmin > rate * max_minfreq_share)
        throw Error(ExitStatus::usage, "--fmin " + format_number(*range.fmin) + ": above " +
                                           format_number(rate * max_minfreq_share) +
                                           " Hz, a quarter of the analysis rate of " +
                                           format_number(rate) + " Hz (down " +
                                           std::to_string(settled.geometry.down) +
                                           "), the highest minfreq zid~ accepts");
}

}  // namespace morvkit
