// The lag estimator: correlation, energies and differences; the dip search is in yinutils_dips.h.
#include "yinutils.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "yin_correlation_fft.h"
#include "yinutils_dips.h"

namespace {

// d(tau) = (e(tau) + e(0)) - 2 r(tau); the doubling is exact, r is widened first.
double difference(double energy, double energy0, float correlation) {
    return (energy + energy0) - 2.0 * static_cast<double>(correlation);
}

// The difference function of a correlated frame, one lag at a time in increasing order: e(tau),
// the energy of frame[tau .. tau + W - 1], advances by one sample in, one out.  Both the lag
// search and the normalised difference read it, so they see the same values.
class Differences {
  public:
    Differences(const float *frame, const float *acf, int max_lag)
        : frame_(frame),
          acf_(acf),
          w_(static_cast<std::size_t>(max_lag)),
          energy0_(acf[0]),
          energy_(energy0_) {}
    // d(tau) for tau = 1, 2, 3, ... in turn, at most up to max_lag - 1.
    double next() {
        // Indices go up to 2W - 2, which may not fit an int.
        energy_ = tau_ == 0 ? (square(w_) + energy0_) - square(0)
                            : (square(w_ + tau_) - square(tau_)) + energy_;
        ++tau_;
        return difference(energy_, energy0_, acf_[tau_]);
    }

  private:
    double square(std::size_t i) const {
        const double x = frame_[i];  // widened first, so the square is exact
        return x * x;
    }
    const float *frame_;
    const float *acf_;
    std::size_t w_;
    double energy0_;
    double energy_;
    std::size_t tau_ = 0;
};

}  // namespace

double yin_calculate_lag(const float *frame, float *acf, int max_lag, double threshold,
                         double max_aperiodicity, double *aperiodicity, yin_fft_correlation *plan) {
    yin_correlate_with(plan, frame, acf, max_lag);
    if (max_lag < 4) {
        // Too short for a dip search (also a non-positive max_lag, for which nothing is read).
        *aperiodicity = 1.0;
        return static_cast<double>(max_lag);
    }
    Differences d(frame, acf, max_lag);
    const double d1 = d.next();
    const double d2 = d.next();
    return yinutils::yin_search_dips(
        max_lag, d1, d2, [&d](int) { return d.next(); }, threshold, max_aperiodicity, aperiodicity);
}

void yin_normalised_difference(const float *frame, float *acf, int max_lag, double *normalised,
                               yin_fft_correlation *plan) {
    yin_correlate_with(plan, frame, acf, max_lag);
    if (max_lag < 1)
        return;
    normalised[0] = 1.0;
    Differences d(frame, acf, max_lag);
    double sum = 0.0;
    for (int tau = 1; tau < max_lag; ++tau) {
        const double value = d.next();
        sum += value;
        // A silent frame sums to 0: its differences count as aperiodic, never as a perfect dip.
        normalised[tau] = sum > 0.0 ? value * static_cast<double>(tau) / sum : 1.0;
    }
}

float *hanning_window(int n) {
    // n * 4 bytes cannot be requested for a negative n, nor where that product exceeds size_t.
    if (n < 0 || static_cast<std::size_t>(n) > SIZE_MAX / sizeof(float)) {
        return nullptr;
    }
    auto *window = static_cast<float *>(std::malloc(static_cast<std::size_t>(n) * sizeof(float)));
    if (window == nullptr) {
        return nullptr;
    }
    const auto size = static_cast<double>(n);
    for (int i = 0; i < n; ++i) {
        const double angle = (static_cast<double>(i) * 6.283185307179586) / size;
        window[i] = static_cast<float>(0.5 - std::cos(angle) * 0.5);
    }
    return window;
}
