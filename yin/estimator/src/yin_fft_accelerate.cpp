// The FFT backend on Apple: Accelerate's vDSP_fft_zripD, lengths a power of two.
//
// vDSP keeps a real sequence as split complex (even samples in realp, odd in imagp) and packs a
// spectrum as yin_fft.h does (X[0] in realp[0], X[L/2] in imagp[0]).  Its forward transform gives
// twice the DFT, so the result is halved; its inverse gives the unscaled sum, as yin_fft.h wants.
#include "accelerate_vdsp.h"

#include <cstdint>
#include <new>
#include <vector>

#include "yin_fft.h"

struct yin_fft {
    std::size_t half = 0;
    vDSP_Length log2_length = 0;
    FFTSetupD setup = nullptr;
    std::vector<double> real;
    std::vector<double> imag;
    ~yin_fft() {
        if (setup) {
            vDSP_destroy_fftsetupD(setup);
        }
    }
};

std::size_t yin_fft_length(std::size_t at_least) {
    for (std::size_t length = 4; length <= (std::size_t{1} << 40); length *= 2) {
        if (length >= at_least) {
            return length;
        }
    }
    return 0;
}

yin_fft *yin_fft_new(std::size_t length) {
    auto *plan = new (std::nothrow) yin_fft;
    if (!plan) {
        return nullptr;
    }
    try {
        plan->half = length / 2;
        while ((std::size_t{1} << plan->log2_length) < length) {
            ++plan->log2_length;
        }
        plan->real.resize(plan->half);
        plan->imag.resize(plan->half);
        plan->setup = vDSP_create_fftsetupD(plan->log2_length, kFFTRadix2);
    } catch (const std::bad_alloc &) {
        plan->setup = nullptr;
    }
    if (!plan->setup) {
        delete plan;
        return nullptr;
    }
    return plan;
}

void yin_fft_free(yin_fft *plan) {
    delete plan;
}

void yin_fft_forward(yin_fft *plan, const double *in, std::complex<double> *out) {
    DSPDoubleSplitComplex split{plan->real.data(), plan->imag.data()};
    vDSP_ctozD(reinterpret_cast<const DSPDoubleComplex *>(in), 2, &split, 1, plan->half);
    vDSP_fft_zripD(plan->setup, &split, 1, plan->log2_length, kFFTDirection_Forward);
    for (std::size_t k = 0; k < plan->half; ++k) {
        out[k] = std::complex<double>(0.5 * split.realp[k], 0.5 * split.imagp[k]);
    }
}

void yin_fft_inverse(yin_fft *plan, const std::complex<double> *in, double *out) {
    DSPDoubleSplitComplex split{plan->real.data(), plan->imag.data()};
    for (std::size_t k = 0; k < plan->half; ++k) {
        split.realp[k] = in[k].real();
        split.imagp[k] = in[k].imag();
    }
    vDSP_fft_zripD(plan->setup, &split, 1, plan->log2_length, kFFTDirection_Inverse);
    vDSP_ztocD(&split, 1, reinterpret_cast<DSPDoubleComplex *>(out), 2, plan->half);
}
