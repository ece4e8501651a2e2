// track_candidates - see track_candidates.h.
#include "track_candidates.h"

#include <algorithm>
#include <cmath>

namespace {

// More dips than this in one frame is noise; the later ones are not examined.
constexpr int kMaxDips = 64;

struct Dip {
    double lag;
    double value;
    double probability;
};

// x^n by multiplication alone, so the table is the same with every maths library.
double power(double x, int n) {
    double result = 1.0;
    for (int i = 0; i < n; ++i) result *= x;
    return result;
}

// The unnormalised beta density; alpha, beta >= 1 keep it finite on [0, 1].
double beta_density(double x, int alpha, int beta) {
    return power(x, alpha - 1) * power(1.0 - x, beta - 1);
}

// The number of thresholds k / 100 (k = 1 .. 100) at or below x; NaN counts none.
int thresholds_at_or_below(double x) {
    if (!(x >= 0.0))
        return 0;
    if (x >= 1.0)
        return kTrackThresholds;
    int k = static_cast<int>(x * kTrackThresholds);
    // The product may round across an integer: settle it on the thresholds themselves.
    while (k < kTrackThresholds && (k + 1) / 100.0 <= x) ++k;
    while (k > 0 && k / 100.0 > x) --k;
    return k;
}

}  // namespace

track_prior track_beta_prior(int alpha, int beta) {
    alpha = std::clamp(alpha, 1, 1000);
    beta = std::clamp(beta, 1, 1000);
    // Simpson's rule on each threshold's interval, fine enough that the table's error is far below
    // anything the decoder can tell.
    constexpr int kSteps = 32;
    double weights[kTrackThresholds];
    double total = 0.0;  // summed in the same order as below, so the two agree exactly
    for (int k = 0; k < kTrackThresholds; ++k) {
        const double a = k * 0.01, h = 0.01 / kSteps;
        double sum = beta_density(a, alpha, beta) + beta_density(a + 0.01, alpha, beta);
        for (int i = 1; i < kSteps; ++i)
            sum += (i % 2 ? 4.0 : 2.0) * beta_density(a + i * h, alpha, beta);
        weights[k] = sum * h / 3.0;
        total += weights[k];
    }
    // Sums scaled once each: non-decreasing, and the last is exactly 1.
    track_prior prior{};
    double sum = 0.0;
    for (int k = 0; k < kTrackThresholds; ++k) {
        sum += weights[k];
        prior.cumulative[k + 1] = sum / total;
    }
    return prior;
}

track_candidates track_find_candidates(const double *normalised, int min_lag, int max_lag,
                                       const track_prior &prior, double no_dip_share) {
    Dip dips[kMaxDips];
    int count = 0;
    int deepest = -1;
    for (int tau = std::max(min_lag, 2); tau <= max_lag - 2 && count < kMaxDips; ++tau) {
        const double left = normalised[tau - 1], mid = normalised[tau], right = normalised[tau + 1];
        if (!(mid < left && mid < right))
            continue;
        const double a = (left + right) - (mid + mid);  // > 0 at a strict dip
        const double b = (right - left) * 0.5;
        const double value = std::max(mid - b * b / (a + a), 0.0);
        dips[count] = {tau - b / a, value, 0.0};
        if (deepest < 0 || value < dips[deepest].value)
            deepest = count;
        ++count;
    }

    // Dip i is the first below every threshold s with value_i < s <= (the least value before it).
    double least_before = 2.0;  // above every threshold
    for (int i = 0; i < count; ++i) {
        const int lo = thresholds_at_or_below(dips[i].value);
        const int hi =
            least_before >= 1.0 ? kTrackThresholds : thresholds_at_or_below(least_before);
        if (hi > lo)
            dips[i].probability = prior.cumulative[hi] - prior.cumulative[lo];
        least_before = std::min(least_before, dips[i].value);
    }
    if (deepest >= 0) {
        const int none = thresholds_at_or_below(dips[deepest].value);
        dips[deepest].probability += no_dip_share * prior.cumulative[none];
    }

    // The most probable ones, back in increasing lag.
    Dip *end =
        std::remove_if(dips, dips + count, [](const Dip &d) { return !(d.probability > 0.0); });
    int kept = static_cast<int>(end - dips);
    if (kept > kTrackMaxCandidates) {
        std::partial_sort(dips, dips + kTrackMaxCandidates, end,
                          [](const Dip &x, const Dip &y) { return x.probability > y.probability; });
        kept = kTrackMaxCandidates;
        std::sort(dips, dips + kept, [](const Dip &x, const Dip &y) { return x.lag < y.lag; });
    }
    track_candidates out{};
    out.count = kept;
    for (int i = 0; i < kept; ++i) {
        out.candidate[i] = {dips[i].lag, dips[i].probability};
        out.voicing += dips[i].probability;
    }
    out.voicing = std::min(out.voicing, 1.0);
    return out;
}
