// yin_arrays - see yin_arrays.h.
#include "yin_arrays.h"

#include <cstdlib>
#include <cstring>

namespace {

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
    yin_release_arrays(buffer, acf);
    return false;
}

void yin_release_arrays(float **buffer, float **acf) {
    std::free(*buffer);
    *buffer = nullptr;
    std::free(*acf);
    *acf = nullptr;
}
