// yin_arrays - see yin_arrays.h.
#include "yin_arrays.h"

#include <cstdlib>
#include <cstring>

#include "yin_correlation.h"
#include "yin_correlation_fft.h"

namespace {

void release(float **array) {
    std::free(*array);
    *array = nullptr;
}

bool resize_zeroed(float **array, int32_t length, yin_realloc_fn reallocate) {
    const size_t bytes = static_cast<size_t>(length) * sizeof(float);
    void *grown = reallocate(*array, bytes);
    if (!grown)
        return false;  // the old block is still *array and is released by the caller
    *array = static_cast<float *>(grown);
    std::memset(*array, 0, bytes);
    return true;
}

}  // namespace

bool yin_resize_arrays(float **buffer, int32_t buffer_length, float **acf, int32_t acf_length,
                       yin_realloc_fn reallocate) {
    if (resize_zeroed(buffer, buffer_length, reallocate) &&
        resize_zeroed(acf, acf_length, reallocate))
        return true;
    release(buffer);
    release(acf);
    return false;
}

void yin_resize_fft_plan(yin_fft_correlation **plan, int32_t window_size) {
    const bool pays = window_size > 0 && window_size >= yin_correlate_fft_from();
    if (*plan && pays && yin_fft_correlation_max_lags(*plan) == window_size)
        return;
    yin_fft_correlation_free(*plan);
    *plan = pays ? yin_fft_correlation_new(window_size) : nullptr;
}

void yin_release_arrays(float **buffer, float **acf, yin_fft_correlation **plan) {
    release(buffer);
    release(acf);
    yin_fft_correlation_free(*plan);
    *plan = nullptr;
}
