// The FFT of the Accelerate stand-in: vDSP_create_fftsetupD, vDSP_destroy_fftsetupD and
// vDSP_fft_zripD, written from Apple's documented definitions rather than for speed.
//
// vDSP_fft_zripD works in place on N = 2^Log2N reals held as N/2 split values (x[2k] in realp[k],
// x[2k + 1] in imagp[k]).  Forward, it stores twice the DFT X[k] = sum x[j] e^(-2 pi i jk / N),
// packed: realp[0] = 2 X[0], imagp[0] = 2 X[N/2], realp[k] + i imagp[k] = 2 X[k] for 0 < k < N/2.
// Inverse, it unpacks h from that layout (h[0] = realp[0], h[N/2] = imagp[0], h[N - k] =
// conj(h[k])) and stores y[k] = sum h[j] e^(+2 pi i jk / N), unscaled, split as above.  Apple's
// header and its programming guide disagree on that inverse's scale; the guide's (none) is taken.
//
// Here both directions widen the data to a full complex sequence of N points and run a plain
// radix-2 transform on it, then write the packing above element by element.  The setup holds the
// twiddles and that scratch sequence, so a transform allocates nothing; it follows that one setup
// serves one transform at a time.
#include "accelerate_vdsp.h"

#include <cmath>
#include <complex>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <limits>
#include <new>
#include <utility>
#include <vector>

using complex = std::complex<double>;

struct OpaqueFFTSetupD {
    vDSP_Length log2_length = 0;
    std::vector<complex> twiddles;  // e^(-2 pi i k / 2^log2_length), k below half of that
    std::vector<complex> work;
};

namespace {

// Lengths far beyond any memory: a setup for them fails as it would for lack of memory.
constexpr vDSP_Length kLongestLog2 = 40;

[[noreturn]] void misuse(const char *what) {
    std::fprintf(stderr, "vDSP_fft_zripD (stand-in): %s\n", what);
    std::abort();
}

complex times(complex a, complex b) {
    // Written out, so no library complex product with its special cases runs here.
    return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

// In place: z[k] = sum z[j] e^(sign 2 pi i jk / n), for n a power of two up to the setup's.
void transform(const OpaqueFFTSetupD &setup, complex *z, std::size_t n, int sign) {
    for (std::size_t i = 1, j = 0; i < n; ++i) {  // bit-reversed order
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) {
            j ^= bit;
        }
        j |= bit;
        if (i < j) {
            std::swap(z[i], z[j]);
        }
    }
    const std::size_t longest = setup.twiddles.size() * 2;
    for (std::size_t span = 2; span <= n; span *= 2) {
        const std::size_t half = span / 2;
        const std::size_t step = longest / span;
        for (std::size_t start = 0; start < n; start += span) {
            for (std::size_t k = 0; k < half; ++k) {
                const complex t = setup.twiddles[k * step];
                const complex w = sign < 0 ? t : std::conj(t);
                const complex odd = times(w, z[start + k + half]);
                const complex even = z[start + k];
                z[start + k] = even + odd;
                z[start + k + half] = even - odd;
            }
        }
    }
}

}  // namespace

FFTSetupD vDSP_create_fftsetupD(vDSP_Length Log2n, FFTRadix Radix) {
    if (Radix != kFFTRadix2 || Log2n > kLongestLog2 ||
        Log2n >= static_cast<vDSP_Length>(std::numeric_limits<std::size_t>::digits)) {
        return nullptr;
    }
    auto *setup = new (std::nothrow) OpaqueFFTSetupD;
    if (!setup) {
        return nullptr;
    }
    const std::size_t length = std::size_t{1} << Log2n;
    try {
        setup->log2_length = Log2n;
        setup->twiddles.resize(length < 2 ? 1 : length / 2);
        setup->work.resize(length);
    } catch (const std::exception &) {  // out of memory, or longer than a vector holds
        delete setup;
        return nullptr;
    }
    const double angle = -2.0 * std::acos(-1.0) / static_cast<double>(length);
    for (std::size_t k = 0; k < setup->twiddles.size(); ++k) {
        setup->twiddles[k] = std::polar(1.0, angle * static_cast<double>(k));
    }
    return setup;
}

void vDSP_destroy_fftsetupD(FFTSetupD setup) {
    delete setup;
}

void vDSP_fft_zripD(FFTSetupD Setup, const DSPDoubleSplitComplex *C, vDSP_Stride IC,
                    vDSP_Length Log2N, FFTDirection Direction) {
    if (!Setup || Log2N < 1 || Log2N > Setup->log2_length) {
        misuse("no setup, or one made for fewer points than this transform has");
    }
    if (Direction != kFFTDirection_Forward && Direction != kFFTDirection_Inverse) {
        misuse("the direction is neither +1 nor -1");
    }
    const std::size_t n = std::size_t{1} << Log2N;
    const std::size_t half = n / 2;
    double *re = C->realp;
    double *im = C->imagp;
    const auto at = [IC](std::size_t k) { return static_cast<vDSP_Stride>(k) * IC; };
    complex *z = Setup->work.data();
    if (Direction == kFFTDirection_Forward) {
        for (std::size_t k = 0; k < half; ++k) {
            z[2 * k] = re[at(k)];
            z[2 * k + 1] = im[at(k)];
        }
        transform(*Setup, z, n, -1);
        re[at(0)] = 2.0 * z[0].real();
        im[at(0)] = 2.0 * z[half].real();
        for (std::size_t k = 1; k < half; ++k) {
            re[at(k)] = 2.0 * z[k].real();
            im[at(k)] = 2.0 * z[k].imag();
        }
    } else {
        z[0] = re[at(0)];
        z[half] = im[at(0)];
        for (std::size_t k = 1; k < half; ++k) {
            z[k] = complex(re[at(k)], im[at(k)]);
            z[n - k] = std::conj(z[k]);
        }
        transform(*Setup, z, n, +1);
        for (std::size_t k = 0; k < half; ++k) {
            re[at(k)] = z[2 * k].real();
            im[at(k)] = z[2 * k + 1].real();
        }
    }
}
