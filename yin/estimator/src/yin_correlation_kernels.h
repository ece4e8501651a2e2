// yin_correlation_kernels - the correlation variants behind yin_correlate, for the dispatcher.
//
// Each has the contract of yin_correlate (yin_correlation.h).  The instruction-set variants are
// compiled with their own target flags and must only be called where the CPU has them.
#pragma once

#include <cstddef>

// One lag of the portable routine, for the FFT path's lags whose rounding it cannot settle.
float yin_correlate_portable_lag(const float *frame, std::size_t lag, std::size_t n);

// The portable routine from lag first_lag on: acf[first_lag .. n - 1].  The vector variants finish
// with it the few lags that do not fill a whole vector, in the same summation order.
void yin_correlate_portable_lags(const float *frame, float *acf, std::size_t n,
                                 std::size_t first_lag);

#if defined(MORV_YIN_X86_VARIANTS)
void yin_correlate_avx2(const float *frame, float *acf, int n);
void yin_correlate_avx512(const float *frame, float *acf, int n);
#endif
#if defined(MORV_YIN_ACCELERATE)
void yin_correlate_accelerate(const float *frame, float *acf, int n);
#endif
