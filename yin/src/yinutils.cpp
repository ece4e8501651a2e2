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

}  // namespace

double yin_calculate_lag(const float *frame, float *acf, int max_lag, double threshold,
                         double max_aperiodicity, double *aperiodicity, yin_fft_correlation *plan) {
    yin_correlate_with(plan, frame, acf, max_lag);
    if (max_lag < 4) {
        // Too short for a dip search (also a non-positive max_lag, for which nothing is read).
        *aperiodicity = 1.0;
        return static_cast<double>(max_lag);
    }

    // Indices go up to 2W - 2, which may not fit an int.
    const auto w = static_cast<std::size_t>(max_lag);
    const auto square = [frame](std::size_t i) {
        const double x = frame[i];  // widened first, so the square is exact
        return x * x;
    };
    // e(tau), the energy of frame[tau .. tau + W - 1], advances by one sample in, one out.
    const double energy0 = acf[0];
    double energy = (square(w) + energy0) - square(0);
    const double d1 = difference(energy, energy0, acf[1]);
    energy = (square(w + 1) - square(1)) + energy;
    const double d2 = difference(energy, energy0, acf[2]);

    const auto next_difference = [&](int j) {
        const auto lag = static_cast<std::size_t>(j);
        energy = (square(w + lag) - square(lag)) + energy;
        return difference(energy, energy0, acf[lag + 1]);
    };
    return yinutils::yin_search_dips(max_lag, d1, d2, next_difference, threshold, max_aperiodicity,
                                     aperiodicity);
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
