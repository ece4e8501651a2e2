// yin_geometry - the analysis geometry of zid~ as a pure function of its parameters.
//
// yin_derive_geometry turns the sample rate, the host's vector size and the parameters "down",
// "minfreq" and "period" into the analysis rate, the lag range, the window and the hop.  It is
// total: any input, NaN, infinite, negative or huge included, gives a defined geometry within the
// bounds below, so every size and index derived from it fits a signed 32-bit integer and the two
// arrays stay within about 11 MB.
//
// Before it, the one table of zid~'s parameters: each one's range and the value a fresh object
// holds, read by the object, by whatever drives it, and by the test of its reference page.
#pragma once

#include <stdint.h>

#include <limits>

// A parameter of zid~: the values it is clamped to and the one a fresh object starts with.
struct yin_parameter {
    const char *name;  // the attribute, or for the threshold the message, that sets it
    double lowest;
    double highest;  // infinity where there is no upper bound
    double initial;

    // NaN passes unchanged: what a NaN means is the geometry's to say.
    constexpr double clamp(double value) const {
        return value < lowest ? lowest : (value > highest ? highest : value);
    }
};

// The downsampling exponent: the input is decimated by 2 to this power.
inline constexpr yin_parameter YIN_DOWN{"down", 0, 3, 2};
// The lowest frequency sought, Hz; its effect is capped at a quarter of the analysis rate.
inline constexpr yin_parameter YIN_MINFREQ{"minfreq", 0, std::numeric_limits<double>::infinity(),
                                           60};
// Milliseconds from one analysis to the next; 0 analyses only on request.
inline constexpr yin_parameter YIN_PERIOD{"period", 0, 250, 5};
// How far above the deepest dip the first acceptable dip may lie.
inline constexpr yin_parameter YIN_THRESHOLD{"threshold", 0, 1, 0.1};

inline constexpr yin_parameter YIN_PARAMETERS[] = {YIN_DOWN, YIN_MINFREQ, YIN_PERIOD,
                                                   YIN_THRESHOLD};

// `down` as the integer the object holds, clamped to its range.
constexpr int32_t yin_clamp_down(int32_t down) {
    return down < YIN_DOWN.lowest
               ? static_cast<int32_t>(YIN_DOWN.lowest)
               : (down > YIN_DOWN.highest ? static_cast<int32_t>(YIN_DOWN.highest) : down);
}

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
    int32_t down;          // exponent in effect, within YIN_DOWN's range
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
// `down` is clamped to YIN_DOWN's range; a `max_vector_size` of 0 or below counts as 1, so the hop
// is never 0; `period` counts by its absolute value.  A lag-range quotient samplerate / 2^down /
// minfreq that is not finite or whose ceiling reaches 2^31 (minfreq 0, a NaN rate) gives the
// smallest range, 4 lags; a NaN `minfreq` acts as a quarter of the analysis rate.  A hop that is
// NaN or below one unit is one unit.
yin_geometry yin_derive_geometry(double samplerate, int32_t max_vector_size, int32_t down,
                                 double minfreq, double period);
