#include "demo/synth.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>
#include <random>
#include <stdexcept>

namespace morvkit {
namespace {

constexpr int harmonics = 10;
constexpr double level = 0.25;          // keeps the sum of harmonics below full scale
constexpr double ramp_seconds = 0.015;  // attack and release, to avoid clicks

// Appends one segment whose fundamental follows `pitch` (Hz, of the time within the segment).
// Harmonics above the Nyquist frequency are left out, so nothing aliases.
class PhraseBuilder {
  public:
    explicit PhraseBuilder(double samplerate) { phrase_.samplerate = samplerate; }

    void note(std::string name, double seconds, const std::function<double(double)> &pitch,
              double noise = 0) {
        const double rate = phrase_.samplerate;
        const auto count = static_cast<std::size_t>(std::llround(seconds * rate));
        const double start = now();
        double phase = 0;  // of the fundamental, in cycles
        for (std::size_t i = 0; i < count; ++i) {
            const double t = static_cast<double>(i) / rate;
            const double f = pitch(t);
            double value = 0;
            for (int k = 1; k <= harmonics && k * f < rate / 2; ++k)
                value += std::sin(2 * std::numbers::pi * k * phase) / k;
            value *= level * envelope(t, seconds);
            if (noise > 0)
                value += noise * uniform();
            phrase_.samples.push_back(value);
            phrase_.true_pitch.push_back(f);
            phase += f / rate;
            phase -= std::floor(phase);
        }
        phrase_.segments.push_back({std::move(name), start, now(), true});
    }

    void silence(double seconds) {
        const auto count = static_cast<std::size_t>(std::llround(seconds * phrase_.samplerate));
        const double start = now();
        phrase_.samples.insert(phrase_.samples.end(), count, 0.0);
        phrase_.true_pitch.insert(phrase_.true_pitch.end(), count, 0.0);
        phrase_.segments.push_back({"silence", start, now(), false});
    }

    Phrase take() { return std::move(phrase_); }

  private:
    double now() const { return static_cast<double>(phrase_.samples.size()) / phrase_.samplerate; }

    static double envelope(double t, double length) {
        const double edge = std::min({t, length - t, ramp_seconds}) / ramp_seconds;
        return 0.5 - 0.5 * std::cos(std::numbers::pi * std::max(edge, 0.0));
    }

    // Uniform in [-1, 1], from the raw output of a fixed-seed engine: the engine's sequence is
    // fixed by the standard, the library's distributions are not.
    double uniform() { return static_cast<double>(noise_()) / 2147483647.5 - 1.0; }

    Phrase phrase_;
    std::mt19937 noise_{20261208};
};

}  // namespace

double Phrase::pitch_at(double seconds) const {
    if (!(seconds >= 0))
        return 0;
    // Segment boundaries are sample counts divided by the rate; the small allowance keeps a
    // boundary time from rounding into the sample before it.
    const double index = std::floor(seconds * samplerate + 1e-6);
    if (!(index < static_cast<double>(true_pitch.size())))
        return 0;
    return true_pitch[static_cast<std::size_t>(index)];
}

const PhraseSegment *Phrase::segment_at(double seconds) const {
    for (const auto &segment : segments)
        if (seconds >= segment.start && seconds < segment.end)
            return &segment;
    return nullptr;
}

Phrase synthesise_phrase(double samplerate) {
    if (!(samplerate > 0) || !std::isfinite(samplerate))
        throw std::invalid_argument("the phrase needs a positive sample rate");
    PhraseBuilder builder(samplerate);
    builder.note("note A3", 0.7, [](double) { return 220.0; });
    builder.note("note C5", 0.7, [](double) { return 523.25; });
    // An exponential glide: the pitch moves at a constant rate in cents.
    builder.note("glide G3-G4", 1.0, [](double t) { return 196.0 * std::exp2(t / 1.0); });
    // Half a semitone each way, 5.5 times a second.
    builder.note("vibrato E4", 1.2, [](double t) {
        return 329.63 * std::exp2(0.5 / 12 * std::sin(2 * std::numbers::pi * 5.5 * t));
    });
    builder.note(
        "noisy C4", 0.8, [](double) { return 261.63; }, 0.12);
    builder.silence(0.6);
    return builder.take();
}

}  // namespace morvkit
