// yin_arrays - resizing the two analysis arrays of zid~ (the buffer and the correlation array).
//
// The arrays are resized together and come back zero-filled.  If either request fails, both are
// released and set to null, so a caller never keeps a missing or short array: it must then
// neither buffer nor analyse, and the next resize starts from nothing.
#pragma once

#include <stddef.h>
#include <stdint.h>

using yin_realloc_fn = void *(*)(void *, size_t);

// Returns true when both arrays now hold the requested number of floats, all 0.  Lengths must be
// positive.  `reallocate` is the heap's realloc; tests pass one that fails.
bool yin_resize_arrays(float **buffer, int32_t buffer_length, float **acf, int32_t acf_length,
                       yin_realloc_fn reallocate);

struct yin_fft_correlation;

// Gives *plan, the estimator's FFT plan, the right size for window_size lags: a plan when the FFT
// path is faster at that size, null otherwise (and when window_size is 0 or memory runs out, which
// only makes the estimator correlate directly).  A plan of the right size is kept.  Called where
// the arrays are resized, so the plan is made there too and never per analysis.
void yin_resize_fft_plan(yin_fft_correlation **plan, int32_t window_size);

// Releases both arrays and the plan (any may be null) and nulls them.
void yin_release_arrays(float **buffer, float **acf, yin_fft_correlation **plan);
