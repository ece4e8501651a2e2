// yin_geometry - see yin_geometry.h.
#include "yin_geometry.h"

#include <cmath>
#include <cstdint>

namespace {

// The lag count asked for: the ceiling of rate / lowest frequency, where the lowest frequency is
// capped at a quarter of the rate (so the ceiling is at least 4 for any finite positive rate).
int32_t lag_range(double rate, double minfreq) {
    const double quarter = rate * 0.25;
    const double lowest = minfreq < quarter ? minfreq : quarter;  // NaN minfreq: the quarter
    const double k = std::ceil(rate / lowest);
    // NaN, infinite, 2^31 or more (no 32-bit ceiling exists), or below 3: the smallest range.
    if (!(k >= 3.0 && k < 2147483648.0))
        return 4;
    // Lag counts beyond the bound would be analysed with the bound instead.
    if (k > YIN_MAX_LAG - 2)
        return YIN_MAX_LAG;
    return static_cast<int32_t>(k) + 2;
}

// V / gcd(V, 2^down), at most YIN_MAX_HOP; V of 0 or below counts as 1.
int32_t hop_unit(int32_t max_vector_size, int32_t down) {
    const int64_t v = max_vector_size > 0 ? max_vector_size : 1;
    const int64_t group = int64_t{1} << down;
    const int64_t lowest_bit = v & -v;  // the largest power of two dividing v
    const int64_t unit = v / (lowest_bit < group ? lowest_bit : group);
    return unit < YIN_MAX_HOP ? static_cast<int32_t>(unit) : YIN_MAX_HOP;
}

// The least whole number of units, at least one and at most as many as fit in YIN_MAX_HOP,
// spanning `period` ms at `rate`, in buffered samples.
int32_t hop_length(double rate, int32_t unit, double period) {
    const double units = std::ceil(std::fabs(period) * 0.001 * rate / unit);
    const int32_t most = YIN_MAX_HOP / unit;
    if (!(units >= 1.0))
        return unit;  // NaN, zero or negative
    if (units >= most)
        return most * unit;
    return static_cast<int32_t>(units) * unit;
}

}  // namespace

yin_geometry yin_derive_geometry(double samplerate, int32_t max_vector_size, int32_t down,
                                 double minfreq, double period) {
    yin_geometry g{};
    g.down = yin_clamp_down(down);
    g.analysis_rate = samplerate / static_cast<double>(1 << g.down);
    g.max_lag = lag_range(g.analysis_rate, minfreq);
    g.window_size = (g.max_lag + 3) / 4 * 4;
    g.hop_unit = hop_unit(max_vector_size, g.down);
    g.hop_size = hop_length(g.analysis_rate, g.hop_unit, period);
    return g;
}
