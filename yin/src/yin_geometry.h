// yin_geometry - the analysis geometry of zid~ as a pure function of its parameters.
//
// yin_derive_geometry turns the sample rate, the host's vector size and the parameters "down",
// "minfreq" and "period" into the analysis rate, the lag range, the window and the hop.  It is
// total: any input, NaN, infinite, negative or huge included, gives a defined geometry within the
// bounds below, so every size and index derived from it fits a signed 32-bit integer and the two
// arrays stay within about 11 MB.
#pragma once

#include <stdint.h>

// Largest number of lags examined.  A `minfreq` whose lag range would exceed it is analysed
// with this many lags instead, which makes the effective lowest frequency
// analysis_rate / (YIN_MAX_LAG - 2): 0.17 Hz at 44100 Hz with down 0.  It is a multiple of 4,
// so window_size never exceeds it either.
inline constexpr int32_t YIN_MAX_LAG = 1 << 18;

// Largest hop in buffered samples.  A period longer than this many samples is cut to the longest
// whole number of hop units that fits.  A hop unit longer than this, which takes vectors of more
// than 2^21 samples, is cut to it, and the rest of the vector that completes the hop is dropped.
inline constexpr int32_t YIN_MAX_HOP = 1 << 21;

struct yin_geometry {
    int32_t down;          // exponent in effect, 0 to 3
    double analysis_rate;  // samplerate / 2^down
    int32_t max_lag;       // 4 to YIN_MAX_LAG
    int32_t window_size;   // least multiple of 4 not below max_lag
    int32_t hop_unit;      // buffered samples in the fewest whole vectors that fill whole
                           // groups of 2^down input samples, 1 to YIN_MAX_HOP
    int32_t hop_size;      // a whole multiple (at least one) of hop_unit

    int32_t buffer_length() const { return hop_size + 2 * window_size; }
    int32_t acf_length() const { return window_size + 4; }
};

// The hop is a whole number of vectors and of groups, so in steady streaming every hop ends with
// a vector and no group is left unfinished there.  With V vectors of `max_vector_size` samples and
// groups of g = 2^down, the fewest vectors that fill whole groups are g / gcd(V, g), which hold
// V / gcd(V, g) buffered samples: the hop unit.  The hop is the least whole number of units, at
// least one, that spans `period` ms.  When V is a multiple of g the unit is one vector, V / g.
//
// `down` outside 0..3 is clamped; a `max_vector_size` of 0 or below counts as 1, so the hop is
// never 0; `period` counts by its absolute value.  A lag-range quotient samplerate / 2^down /
// minfreq that is not finite or whose ceiling reaches 2^31 (minfreq 0, a NaN rate) gives the
// smallest range, 4 lags; a NaN `minfreq` acts as a quarter of the analysis rate.  A hop that is
// NaN or below one unit is one unit.
yin_geometry yin_derive_geometry(double samplerate, int32_t max_vector_size, int32_t down,
                                 double minfreq, double period);
