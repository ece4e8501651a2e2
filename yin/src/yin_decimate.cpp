// yin_decimate - see yin_decimate.h.
#include "yin_decimate.h"

#include <cstring>

int32_t yin_decimate(const double *in, long frames, int32_t down, float *out, int32_t room) {
    static constexpr double scale[4] = {1.0, 0.5, 0.25, 0.125};
    if (frames <= 0 || room <= 0)
        return 0;
    const long blocks = frames >> down;
    const int32_t h = blocks < room ? static_cast<int32_t>(blocks) : room;
    const int32_t block = 1 << down;
    for (int32_t i = 0; i < h; ++i) {
        const double *p = in + static_cast<long>(i) * block;
        double sum = 0.0;
        for (int32_t j = 0; j < block; ++j) sum += p[j];
        out[i] = static_cast<float>(sum * scale[down]);
    }
    return h;
}

void yin_slide(float *buffer, int32_t frame_length, int32_t hop) {
    // The regions overlap whenever the hop is shorter than the frame; every sample moves towards
    // the start, which memmove handles.
    if (frame_length > 0 && hop > 0)
        std::memmove(buffer, buffer + hop, static_cast<size_t>(frame_length) * sizeof(float));
}
