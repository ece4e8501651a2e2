// yin_decimate - decimation of host vectors into the analysis buffer.
//
// Each output sample is the mean of 2^down consecutive input samples: their sum in double
// precision, from +0.0 and added in index order, scaled by 2^-down and narrowed to the nearest
// float.  For down 0 this is a narrowing copy.  A group may span calls: the samples at the end of
// a call that do not fill a whole group are summed into a yin_group and completed by the next
// call, in the same arithmetic as a group that lies within one call, so how the stream is cut into
// vectors does not change a single output.
#pragma once

#include <stdint.h>

// The unfinished group carried from one call to the next.  {0.0, 0} is an empty group.
struct yin_group {
    double sum;     // of the first `count` samples, added in order from +0.0
    int32_t count;  // 0 to 2^down - 1
};

// Decimates `frames` input samples, completing `partial` first, and writes at most `room` samples
// to `out`; returns how many it wrote.  Once `room` samples are written the rest of the call is
// dropped and `partial` is left empty; otherwise the trailing samples become `partial`.  Nothing
// happens (0) when frames or room is 0 or below.  `down` must lie in 0..3; a `partial` already
// holding 2^down samples or more cannot be completed and is dropped.  Never writes past
// out[room - 1], so a vector longer than the space left is cut instead of overrunning the buffer.
int32_t yin_decimate(const double *in, long frames, int32_t down, yin_group *partial, float *out,
                     int32_t room);

// Moves the latest `frame_length` samples of a buffer holding `frame_length + hop` samples to its
// start, oldest first: after a hop the frame holds the newest samples.
void yin_slide(float *buffer, int32_t frame_length, int32_t hop);
