// signals.hpp - test signals that come out bit for bit the same on every platform.
//
// The platforms' libm differ in the last bit of sin and cos, so the signals use none: sines come
// from the stand-in host's platform-exact sincos_turns, noise from an integer generator.
#pragma once

#include <vector>

namespace crosscheck {

// `seconds` of audio at `samplerate`: harmonics 1-4 of `hz` at falling levels.
std::vector<double> harmonic_tone(double hz, double samplerate, double seconds);
// A sine gliding linearly from `from_hz` to `to_hz`.
std::vector<double> glide(double from_hz, double to_hz, double samplerate, double seconds);
// Uniform white noise in [-0.5, 0.5), from a fixed seed.
std::vector<double> noise(double samplerate, double seconds);

}  // namespace crosscheck
