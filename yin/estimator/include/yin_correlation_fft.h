// yin_correlation_fft - the lag estimator's autocorrelation through a real FFT, for long windows.
//
// The direct sum costs n^2 multiply-adds; the FFT path costs three real transforms of a length
// L >= 2n - 1: the frame x[0 .. 2n - 2] and its first n samples, both zero-padded to L, are
// transformed, the first spectrum is multiplied by the conjugate of the second, and the inverse
// holds every r(tau) for tau < n, with no wrap-around since tau + p <= 2n - 2 < L.  Everything is
// in double; each lag is rounded once to float at the end.
//
// Accuracy standard: the transform gives every r(tau) as a double within
//     kFftErrorFactor * DBL_EPSILON * log2(L) * sqrt(H * E)
// of the exact sum, E being the sum of the squares of the 2n - 1 frame samples and H that of its
// first n (so the bound never exceeds the same expression with E alone; the largest error seen,
// on random frames and on 16-bit audio, is below a fifth of it).  A frame whose first n samples
// are silent transforms to exact zeros.  Where the rounding of
// that double to float is settled by the bound, it is the result: the float nearest to the exact
// sum, as the direct path gives it.  Where it is not (the double lies within the bound of a
// midpoint between two floats, as it does for the exact ties that quantised audio produces, or
// for lags whose sum is tiny next to E), that lag alone is summed directly.  So the results equal
// the direct path's except where the direct double sum itself rounds the wrong way, which its
// own header allows; a frame with infinite or NaN samples is correlated directly altogether.
//
// A plan is made for a largest lag count and serves every n up to it.  Making it allocates (it is
// made with the analysis buffers, never per analysis); correlating allocates nothing.
#pragma once

struct yin_fft_correlation;

constexpr double kFftErrorFactor = 2.0;

// A plan for up to `max_lags` lags; null when memory runs out or max_lags is below 1.
yin_fft_correlation *yin_fft_correlation_new(int max_lags);
void yin_fft_correlation_free(yin_fft_correlation *plan);

// The FFT length the plan uses, and the largest lag count it serves.
int yin_fft_correlation_length(const yin_fft_correlation *plan);
int yin_fft_correlation_max_lags(const yin_fft_correlation *plan);

// yin_correlate's contract, through the FFT, for 0 < n <= the plan's max_lags.
void yin_correlate_fft(yin_fft_correlation *plan, const float *frame, float *acf, int n);

// The estimator's choice: the FFT path when a plan is at hand, large enough, and n is at least
// yin_correlate_fft_from(); the direct yin_correlate otherwise.
void yin_correlate_with(yin_fft_correlation *plan, const float *frame, float *acf, int n);
