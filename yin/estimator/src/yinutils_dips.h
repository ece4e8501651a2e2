// yinutils_dips - the dip search and lag selection of the lag estimator, apart from the signal.
//
// yin_search_dips scans the difference function d(1 .. W - 1) of one frame, W = max_lag >= 4:
// lags j = 2 .. W - 2 in increasing order, each a dip only if d(j) is strictly below both
// neighbours; each dip refined by a parabola, normalised by the running sum S(j) = d(1) + .. + d(j)
// and recorded if the result is strictly below max_aperiodicity; at most 64 candidates, the scan
// ending at the 64th.  It then returns the lag of the first candidate strictly below threshold +
// best value (the best starts at 1.0 and lag W), or the best itself, and writes that candidate's
// value to *aperiodicity.
//
// The caller hands d(1) and d(2) and a callable next_difference(j) that returns d(j + 1); it is
// called once per examined lag, j = 2, 3, ... in order, and never after the scan has ended, so the
// estimator can advance its energies lazily.  Everything lives on the stack: no allocation, no
// state, re-entrant.
#pragma once

#include <limits>

namespace yinutils {

// NaN must fail every comparison, and a zero running sum must divide to an infinity or NaN.
static_assert(std::numeric_limits<double>::is_iec559, "the dip search needs IEEE 754 doubles");

constexpr int kMaxCandidates = 64;

template <typename NextDifference>
double yin_search_dips(int max_lag, double d1, double d2, NextDifference &&next_difference,
                       double threshold, double max_aperiodicity, double *aperiodicity) {
    struct Candidate {
        double value;
        double lag;
    };
    Candidate candidates[kMaxCandidates];
    int count = 0;
    // The best starts at 1.0 whatever max_aperiodicity is: with the estimator's 1.0 every recorded
    // dip beats it, and with a larger limit a dip at 1.0 or more is recorded but never best.
    double best_value = 1.0;
    double best_lag = static_cast<double>(max_lag);

    double previous = d1;
    double current = d2;
    double sum = d1;
    for (int j = 2; j <= max_lag - 2; ++j) {
        const double next = next_difference(j);
        sum += current;  // S(j) includes d(j), dip or not
        // Strict on both sides: a flat stretch is no dip, and a NaN on either side fails.
        if (current < previous && current < next) {
            const double b = (next - previous) * 0.5;
            const double a = (previous + next) - (current + current);
            const double lag = static_cast<double>(j);
            // The refined minimum is normalised by the cumulative mean at the integer lag j.
            double value = ((current - b * b / (a + a)) * lag) / sum;
            if (value < 0.0) {
                value = 0.0;  // a NaN stays NaN and fails the next test
            }
            if (value < max_aperiodicity) {
                const double refined = lag - b / a;
                candidates[count++] = {value, refined};
                if (value < best_value) {  // strict: among equals the earliest stays best
                    best_value = value;
                    best_lag = refined;
                }
                if (count == kMaxCandidates) {
                    break;
                }
            }
        }
        previous = current;
        current = next;
    }

    const double limit = threshold + best_value;
    for (int i = 0; i < count; ++i) {
        if (limit > candidates[i].value) {
            *aperiodicity = candidates[i].value;
            return candidates[i].lag;
        }
    }
    *aperiodicity = best_value;
    return best_lag;
}

}  // namespace yinutils
