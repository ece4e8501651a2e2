// yin_correlation - the lag estimator's autocorrelation, behind one declaration.
//
// yin_correlate writes acf[tau] = sum over p = 0 .. n - 1 of frame[tau + p] * frame[p] for every
// tau = 0 .. n - 1, as single-precision values.  It reads frame[0 .. 2n - 2], writes acf[0 .. n -
// 1] and nothing else; it allocates nothing and keeps no state.  n of 0 or below writes nothing.
//
// Several routines compute it; each is a variant with a name:
//   "portable"    built everywhere: each lag's sum accumulated in double and rounded once, so every
//                 value is the correctly rounded sum (or within one float ulp of it in the rare
//                 case where the double sum itself had to round).  The reference for the others.
//   "avx2"        x86-64 with AVX2 and FMA, and
//   "avx512"      x86-64 with AVX-512F: bit-identical to "portable", several lags per vector.
//   "accelerate"  Apple: Accelerate's vDSP_conv, which accumulates in single precision.
// yin_correlate calls the fastest variant this machine runs, chosen once when the module is
// loaded, through a plain function pointer, so a call costs what a direct call costs.
#pragma once

using yin_correlate_fn = void (*)(const float *frame, float *acf, int n);

void yin_correlate_portable(const float *frame, float *acf, int n);

// The routine of the named variant, or null when the name is unknown or this CPU cannot run it.
yin_correlate_fn yin_correlate_variant(const char *name);

// The name of the variant that yin_correlate calls.
const char *yin_correlate_variant_name();

// The lag count from which the FFT path (yin_correlation_fft.h) is faster than that variant.
int yin_correlate_fft_from();

// Makes yin_correlate call the named variant from now on, for tests and benchmarks that measure
// one by name.  Returns false, changing nothing, when yin_correlate_variant(name) is null.  Not to
// be called while another thread may be correlating.
bool yin_correlate_force(const char *name);

namespace yin_correlation_detail {
extern yin_correlate_fn active;
}

inline void yin_correlate(const float *frame, float *acf, int n) {
    yin_correlation_detail::active(frame, acf, n);
}
