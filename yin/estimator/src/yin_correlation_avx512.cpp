// The AVX-512 correlation variant: eight lags per 512-bit vector of doubles.
//
// This file alone is compiled with -mavx512f; the dispatcher calls it only on CPUs that have it.
// On Windows, GCC cannot align the stack beyond 16 bytes, so a spilled 64-byte vector could be
// moved with an aligned instruction to a misaligned slot: the build assembles this file with
// unaligned vector moves there (-Wa,-muse-unaligned-vector-move), and the code itself uses only
// unaligned loads and stores.
#include <immintrin.h>

#include "yin_correlation_lanes.h"

namespace {

struct Avx512 {
    using Vector = __m512d;
    static constexpr std::size_t kWidth = 8;
    static Vector zero() { return _mm512_setzero_pd(); }
    static Vector broadcast(double x) { return _mm512_set1_pd(x); }
    static Vector load(const double *p) { return _mm512_loadu_pd(p); }
    // The zero-masked conversions, because GCC 12's plain ones merge into an "undefined" register
    // that its own -Wuninitialized then reports; with all lanes selected the result is the same.
    static Vector load_widened(const float *p) {
        return _mm512_maskz_cvtps_pd(0xFF, _mm256_loadu_ps(p));
    }
    static Vector fma(Vector a, Vector b, Vector c) { return _mm512_fmadd_pd(a, b, c); }
    static Vector add(Vector a, Vector b) { return _mm512_add_pd(a, b); }
    static void store_narrowed(float *p, Vector v) {
        _mm256_storeu_ps(p, _mm512_maskz_cvtpd_ps(0xFF, v));
    }
};

}  // namespace

void yin_correlate_avx512(const float *frame, float *acf, int n) {
    // Three vectors of lags, twelve partial sums, well within the 32 vector registers.
    correlate_lanes<Avx512, 3>(frame, acf, n);
}
