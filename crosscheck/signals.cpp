// signals.cpp - platform-exact test signals.
#include "signals.hpp"

#include <cmath>
#include <cstdint>

#include "morvhost/turns.hpp"

namespace crosscheck {

namespace {
double sine_turns(double t) {
    return morvhost::sincos_turns(t).sin;
}
}  // namespace

std::vector<double> harmonic_tone(double hz, double samplerate, double seconds) {
    const auto n = static_cast<std::size_t>(seconds * samplerate);
    std::vector<double> v(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) * hz / samplerate;
        v[i] = 0.5 * sine_turns(t) + 0.25 * sine_turns(2 * t) + 0.125 * sine_turns(3 * t) +
               0.0625 * sine_turns(4 * t);
    }
    return v;
}

std::vector<double> glide(double from_hz, double to_hz, double samplerate, double seconds) {
    const auto n = static_cast<std::size_t>(seconds * samplerate);
    std::vector<double> v(n);
    const double step = (to_hz - from_hz) / static_cast<double>(n);
    double phase = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        v[i] = 0.8 * sine_turns(phase);
        phase += (from_hz + step * static_cast<double>(i)) / samplerate;
        phase -= std::floor(phase);
    }
    return v;
}

std::vector<double> noise(double samplerate, double seconds) {
    const auto n = static_cast<std::size_t>(seconds * samplerate);
    std::vector<double> v(n);
    std::uint64_t state = 0x9E3779B97F4A7C15u;
    for (std::size_t i = 0; i < n; ++i) {
        state ^= state << 13;  // xorshift64
        state ^= state >> 7;
        state ^= state << 17;
        v[i] = static_cast<double>(state >> 11) * 0x1.0p-53 - 0.5;
    }
    return v;
}

}  // namespace crosscheck
