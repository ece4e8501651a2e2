// The AVX2 + FMA correlation variant: four lags per 256-bit vector of doubles.
//
// This file alone is compiled with -mavx2 -mfma; the dispatcher calls it only on CPUs that have
// both.  On Windows, GCC cannot align the stack beyond 16 bytes, so a spilled 32-byte vector could
// be moved with an aligned instruction to a misaligned slot: the build assembles this file with
// unaligned vector moves there (-Wa,-muse-unaligned-vector-move), and the code itself uses only
// unaligned loads and stores.
#include <immintrin.h>

#include "yin_correlation_lanes.h"

namespace {

struct Avx2 {
    using Vector = __m256d;
    static constexpr std::size_t kWidth = 4;
    static Vector zero() { return _mm256_setzero_pd(); }
    static Vector broadcast(double x) { return _mm256_set1_pd(x); }
    static Vector load(const double *p) { return _mm256_loadu_pd(p); }
    static Vector load_widened(const float *p) { return _mm256_cvtps_pd(_mm_loadu_ps(p)); }
    static Vector fma(Vector a, Vector b, Vector c) { return _mm256_fmadd_pd(a, b, c); }
    static Vector add(Vector a, Vector b) { return _mm256_add_pd(a, b); }
    static void store_narrowed(float *p, Vector v) { _mm_storeu_ps(p, _mm256_cvtpd_ps(v)); }
};

}  // namespace

void yin_correlate_avx2(const float *frame, float *acf, int n) {
    // Two vectors of lags, eight partial sums: they and the operands fit the 16 vector registers.
    correlate_lanes<Avx2, 2>(frame, acf, n);
}
