// The FFT backend on every platform but Apple: kissfft's header-only C++ template, in double.
//
// kissfft transforms a real sequence of length 2M through a complex transform of length M; it has
// no real inverse, so that is done the same way here: the packed spectrum is folded into the
// spectrum of z[m] = x[2m] + i x[2m + 1] and transformed back with a complex inverse of length M.
// Lengths are 2M with M a product of 2, 3 and 5 only: those radices have kissfft's dedicated
// butterflies, while any other factor would make it grow a scratch buffer during the transform.
#include <kissfft.hh>

#include <cmath>
#include <cstdint>
#include <new>
#include <vector>

#include "yin_fft.h"

using complex = std::complex<double>;

struct yin_fft {
    explicit yin_fft(std::size_t length)
        : half(length / 2), forward(half, false), inverse(half, true), unfold(half), work(half) {
        // unfold[k] = e^(i pi k / M), the twiddle between the even and the odd samples' spectra.
        const double step = std::acos(-1.0) / static_cast<double>(half);
        for (std::size_t k = 0; k < half; ++k) {
            unfold[k] = std::polar(1.0, step * static_cast<double>(k));
        }
    }
    std::size_t half;
    kissfft<double> forward;
    kissfft<double> inverse;
    std::vector<complex> unfold;
    std::vector<complex> work;
};

namespace {

bool is_5_smooth(std::size_t m) {
    for (std::size_t p : {2u, 3u, 5u}) {
        while (m % p == 0) {
            m /= p;
        }
    }
    return m == 1;
}

}  // namespace

std::size_t yin_fft_length(std::size_t at_least) {
    // Lengths beyond 2^40 are far past anything the estimator asks for; stopping there also keeps
    // 2 * m from overflowing.
    constexpr std::size_t kLongest = std::size_t{1} << 40;
    for (std::size_t m = at_least < 4 ? 2 : (at_least + 1) / 2; 2 * m <= kLongest; ++m) {
        if (is_5_smooth(m)) {
            return 2 * m;
        }
    }
    return 0;
}

yin_fft *yin_fft_new(std::size_t length) {
    try {
        return new yin_fft(length);
    } catch (const std::bad_alloc &) {
        return nullptr;
    } catch (const std::length_error &) {
        return nullptr;
    }
}

void yin_fft_free(yin_fft *plan) {
    delete plan;
}

void yin_fft_forward(yin_fft *plan, const double *in, complex *out) {
    plan->forward.transform_real(in, out);
}

void yin_fft_inverse(yin_fft *plan, const complex *in, double *out) {
    // With E and O the spectra of the even and odd samples, X[k] = E[k] + e^(-i pi k/M) O[k] and
    // conj(X[M - k]) = E[k] - e^(-i pi k/M) O[k]; so 2 (E[k] + i O[k]) is
    // (X[k] + conj(X[M - k])) + i e^(i pi k/M) (X[k] - conj(X[M - k])), whose complex inverse of
    // length M is 2M (x[2m] + i x[2m + 1]): the unscaled real inverse, read as interleaved pairs.
    const std::size_t m = plan->half;
    complex *z = plan->work.data();
    const double dc = in[0].real();
    const double nyquist = in[0].imag();
    z[0] = complex(dc + nyquist, dc - nyquist);
    for (std::size_t k = 1; k < m; ++k) {
        const complex mirror = std::conj(in[m - k]);
        const complex sum = in[k] + mirror;
        const complex difference = in[k] - mirror;
        const complex u = plan->unfold[k];
        // i * u * difference, written out, so no library complex product with its special cases
        const double re = u.real() * difference.real() - u.imag() * difference.imag();
        const double im = u.real() * difference.imag() + u.imag() * difference.real();
        z[k] = complex(sum.real() - im, sum.imag() + re);
    }
    plan->inverse.transform(z, reinterpret_cast<complex *>(out));
}
