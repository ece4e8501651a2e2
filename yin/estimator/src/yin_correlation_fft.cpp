// yin_correlation_fft - see yin_correlation_fft.h.
#include "yin_correlation_fft.h"

#include <bit>
#include <cfloat>
#include <cmath>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "yin_correlation.h"
#include "yin_correlation_kernels.h"
#include "yin_fft.h"

using complex = std::complex<double>;

namespace {

// Whether a value within `bound` of c might round to another float than c does: c lies that
// close to the midpoint between its float and a neighbour, or is no finite float at all.
bool rounding_is_unsettled(double c, double bound) {
    const double a = std::fabs(c);  // rounding to nearest is symmetric
    const float f = static_cast<float>(a);
    const auto bits = std::bit_cast<std::uint32_t>(f);
    if (!(bits < 0x7f800000u)) {
        return true;  // beyond the float range, or NaN
    }
    const double up = std::bit_cast<float>(bits + 1);  // the largest float's is infinity
    // Below the smallest magnitude lies the other sign: an exact sum within the bound of 0 may
    // have either.
    const double down = bits > 0 ? std::bit_cast<float>(bits - 1) : -std::bit_cast<float>(1u);
    return a + bound >= (f + up) * 0.5 || a - bound <= (f + down) * 0.5;
}

}  // namespace

struct yin_fft_correlation {
    int max_lags = 0;
    std::size_t length = 0;
    double log2_length = 0.0;
    yin_fft *fft = nullptr;
    std::vector<double> frame;      // the frame, widened and zero-padded; then the correlation
    std::vector<double> prefix;     // its first n samples, zero-padded
    std::vector<complex> spectrum;  // of the frame; then the cross spectrum
    std::vector<complex> prefix_spectrum;
    ~yin_fft_correlation() { yin_fft_free(fft); }
};

yin_fft_correlation *yin_fft_correlation_new(int max_lags) {
    if (max_lags < 1) {
        return nullptr;
    }
    const std::size_t length = yin_fft_length(2 * static_cast<std::size_t>(max_lags) - 1);
    if (length == 0) {
        return nullptr;
    }
    auto *plan = new (std::nothrow) yin_fft_correlation;
    if (!plan) {
        return nullptr;
    }
    try {
        plan->max_lags = max_lags;
        plan->length = length;
        plan->log2_length = std::log2(static_cast<double>(length));
        plan->frame.resize(length);
        plan->prefix.resize(length);
        plan->spectrum.resize(length / 2);
        plan->prefix_spectrum.resize(length / 2);
        plan->fft = yin_fft_new(length);
    } catch (const std::bad_alloc &) {
        plan->fft = nullptr;
    }
    if (!plan->fft) {
        delete plan;
        return nullptr;
    }
    return plan;
}

void yin_fft_correlation_free(yin_fft_correlation *plan) {
    delete plan;
}

int yin_fft_correlation_length(const yin_fft_correlation *plan) {
    return static_cast<int>(plan->length);
}

int yin_fft_correlation_max_lags(const yin_fft_correlation *plan) {
    return plan->max_lags;
}

void yin_correlate_fft(yin_fft_correlation *plan, const float *frame, float *acf, int n) {
    const auto lags = static_cast<std::size_t>(n);
    const std::size_t samples = 2 * lags - 1;
    double *x = plan->frame.data();
    double *head = plan->prefix.data();
    double energy = 0.0;
    double head_energy = 0.0;
    for (std::size_t i = 0; i < plan->length; ++i) {
        x[i] = i < samples ? static_cast<double>(frame[i]) : 0.0;
        head[i] = i < lags ? static_cast<double>(frame[i]) : 0.0;
        energy += x[i] * x[i];
        head_energy += head[i] * head[i];
    }
    // The error of a transformed product scales with the norms of both operands.  Bounding with
    // the whole frame's energy alone would leave every lag unsettled whenever the older half is
    // silent or faint (the start of a stream, every onset) and send them all to the direct sum.
    const double bound =
        kFftErrorFactor * DBL_EPSILON * plan->log2_length * std::sqrt(head_energy * energy);
    if (!std::isfinite(bound)) {
        // Infinite or NaN samples: the transform would smear them over every lag.
        yin_correlate(frame, acf, n);
        return;
    }
    complex *s = plan->spectrum.data();
    const complex *h = plan->prefix_spectrum.data();
    yin_fft_forward(plan->fft, x, s);
    yin_fft_forward(plan->fft, head, plan->prefix_spectrum.data());

    // S * conj(H), written out so no library complex product with its special cases runs here.
    // Element 0 packs two real bins, which multiply separately.
    s[0] = complex(s[0].real() * h[0].real(), s[0].imag() * h[0].imag());
    for (std::size_t k = 1; k < plan->length / 2; ++k) {
        const double re = s[k].real() * h[k].real() + s[k].imag() * h[k].imag();
        const double im = s[k].imag() * h[k].real() - s[k].real() * h[k].imag();
        s[k] = complex(re, im);
    }
    yin_fft_inverse(plan->fft, s, x);

    // The inverse is unscaled: divide by L, once, before the single rounding to float.  A lag whose
    // exact sum might round to another float is summed directly, as the direct path does.
    const double scale = 1.0 / static_cast<double>(plan->length);
    for (std::size_t tau = 0; tau < lags; ++tau) {
        const double c = x[tau] * scale;
        acf[tau] = rounding_is_unsettled(c, bound) ? yin_correlate_portable_lag(frame, tau, lags)
                                                   : static_cast<float>(c);
    }
}

void yin_correlate_with(yin_fft_correlation *plan, const float *frame, float *acf, int n) {
    if (plan && n >= yin_correlate_fft_from() && n <= plan->max_lags) {
        yin_correlate_fft(plan, frame, acf, n);
    } else {
        yin_correlate(frame, acf, n);
    }
}
