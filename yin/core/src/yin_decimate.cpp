// yin_decimate - see yin_decimate.h.
#include "yin_decimate.h"

#include <cstring>

namespace {

constexpr double scale[4] = {1.0, 0.5, 0.25, 0.125};

double add(double sum, const double *in, long count) {
    for (long i = 0; i < count; ++i) sum += in[i];
    return sum;
}

}  // namespace

int32_t yin_decimate(const double *in, long frames, int32_t down, yin_group *partial, float *out,
                     int32_t room) {
    if (frames <= 0 || room <= 0)
        return 0;
    const int32_t block = 1 << down;
    int32_t h = 0;
    long used = 0;
    // A group too full for this `down` cannot be completed; it is dropped rather than read past.
    if (partial->count > 0 && partial->count < block) {
        const long missing = block - partial->count;
        used = frames < missing ? frames : missing;
        const double sum = add(partial->sum, in, used);
        if (used < missing) {
            *partial = {sum, partial->count + static_cast<int32_t>(used)};
            return 0;
        }
        out[h++] = static_cast<float>(sum * scale[down]);
    }
    const long blocks = (frames - used) >> down;
    const int32_t whole = blocks < room - h ? static_cast<int32_t>(blocks) : room - h;
    for (int32_t i = 0; i < whole; ++i, used += block)
        out[h++] = static_cast<float>(add(0.0, in + used, block) * scale[down]);
    // With the room used up the rest of the call is dropped; otherwise fewer than a block remain.
    *partial = h < room ? yin_group{add(0.0, in + used, frames - used),
                                    static_cast<int32_t>(frames - used)}
                        : yin_group{0.0, 0};
    return h;
}

void yin_slide(float *buffer, int32_t frame_length, int32_t hop) {
    // The regions overlap whenever the hop is shorter than the frame; every sample moves towards
    // the start, which memmove handles.
    if (frame_length > 0 && hop > 0)
        std::memmove(buffer, buffer + hop, static_cast<size_t>(frame_length) * sizeof(float));
}
