// yin_frames - see yin_frames.h.
#include "yin_frames.h"

#include <cmath>
#include <cstdlib>

#include "yin_arrays.h"
#include "yinutils.h"

bool yin_frames_configure(yin_frames *f, const yin_geometry &g) {
    bool have_arrays = f->buffer != nullptr;
    // Arrays of the right sizes are kept as they are, frame and all.
    if (g.window_size != f->window_size || g.hop_size != f->hop_size) {
        have_arrays =
            yin_resize_arrays(&f->buffer, g.buffer_length(), &f->acf, g.acf_length(), std::realloc);
        yin_resize_fft_plan(&f->fft_plan, have_arrays ? g.window_size : 0);
    }
    // Without arrays the sizes stay 0, so the next configuration tries to allocate again.
    f->window_size = have_arrays ? g.window_size : 0;
    f->max_lag = have_arrays ? g.max_lag : 0;
    f->hop_size = have_arrays ? g.hop_size : 0;
    f->down = g.down;
    f->analysis_rate = g.analysis_rate;
    f->fill = 0;
    f->partial = {0.0, 0};
    return have_arrays;
}

bool yin_frames_push(yin_frames *f, const double *in, long count) {
    if (!f->buffer)
        return false;
    const int32_t n = f->window_size;
    // Never more than the room left in the hop: a longer vector than announced is cut.  A group
    // of 2^down samples that the vector leaves unfinished is completed by the next one.
    f->fill += yin_decimate(in, count, f->down, &f->partial, f->buffer + 2 * n + f->fill,
                            f->hop_size - f->fill);
    if (f->fill < f->hop_size)
        return false;
    yin_slide(f->buffer, 2 * n, f->hop_size);
    f->fill = 0;
    return true;
}

yin_estimate yin_frames_analyse(const yin_frames *f, double threshold) {
    double aperiodicity = 1.0;
    const double lag = yin_calculate_lag(f->buffer, f->acf, f->max_lag, threshold, 1.0,
                                         &aperiodicity, f->fft_plan);
    const float energy = f->acf[0];
    const double amplitude =
        energy > 0.0f ? static_cast<double>(std::sqrt(energy / static_cast<float>(f->window_size)))
                      : 0.0;
    return {f->analysis_rate / lag, amplitude, 1.0 - std::sqrt(aperiodicity)};
}

void yin_frames_release(yin_frames *f) {
    yin_release_arrays(&f->buffer, &f->acf, &f->fft_plan);
    *f = {};
}
