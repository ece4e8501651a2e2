// yin_decimate - decimation of one host vector into the analysis buffer.
//
// Each output sample is the mean of 2^down consecutive input samples: their sum in double
// precision, added in index order, scaled by 2^-down and narrowed to the nearest float.  For down
// 0 this is a narrowing copy.  Trailing input samples that do not fill a whole block are not used.
#pragma once

#include <stdint.h>

// Writes min(frames / 2^down, room) samples to `out` and returns that count; nothing (0) when
// frames or room is 0 or below.  `down` must lie in 0..3.  Never writes past out[room - 1], so a
// vector longer than the space left is cut instead of overrunning the buffer.
int32_t yin_decimate(const double *in, long frames, int32_t down, float *out, int32_t room);

// Moves the latest `frame_length` samples of a buffer holding `frame_length + hop` samples to its
// start, oldest first: after a hop the frame holds the newest samples.
void yin_slide(float *buffer, int32_t frame_length, int32_t hop);
