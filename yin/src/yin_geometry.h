// yin_geometry - the analysis geometry of zid~ as a pure function of its parameters.
//
// yin_derive_geometry turns the sample rate, the host's vector size and the parameters "down",
// "minfreq" and "period" into the analysis rate, the lag range, the window, the per-vector count
// and the hop.  It is total: any input, NaN, infinite, negative or huge included, gives a defined
// geometry within the bounds below, so every size and index derived from it fits a signed 32-bit
// integer and the two arrays stay within about 11 MB.
#pragma once

#include <stdint.h>

// Largest number of lags examined.  A `minfreq` whose lag range would exceed it is analysed
// with this many lags instead, which makes the effective lowest frequency
// analysis_rate / (YIN_MAX_LAG - 2): 0.17 Hz at 44100 Hz with down 0.  It is a multiple of 4,
// so window_size never exceeds it either.
inline constexpr int32_t YIN_MAX_LAG = 1 << 18;

// Largest hop, and therefore largest per-vector count, in buffered samples.  A vector that would
// yield more samples is buffered up to this many; a period longer than this many samples is cut to
// the longest whole number of vectors that fits.
inline constexpr int32_t YIN_MAX_HOP = 1 << 21;

struct yin_geometry {
    int32_t down;          // exponent in effect, 0 to 3
    double analysis_rate;  // samplerate / 2^down
    int32_t max_lag;       // 4 to YIN_MAX_LAG
    int32_t window_size;   // least multiple of 4 not below max_lag
    int32_t per_vector;    // buffered samples per full vector, 0 to YIN_MAX_HOP
    int32_t hop_size;      // a whole multiple (at least one) of per_vector, 0 when it is 0

    int32_t buffer_length() const { return hop_size + 2 * window_size; }
    int32_t acf_length() const { return window_size + 4; }
};

// `down` outside 0..3 is clamped; a negative `max_vector_size` counts as 0; `period` counts by its
// absolute value.  A lag-range quotient samplerate / 2^down / minfreq that is not finite or
// whose ceiling reaches 2^31 (minfreq 0, a NaN rate) gives the smallest range, 4 lags; a NaN
// `minfreq` acts as a quarter of the analysis rate.  A hop that is NaN or below one vector is
// one vector.
yin_geometry yin_derive_geometry(double samplerate, int32_t max_vector_size, int32_t down,
                                 double minfreq, double period);
