// sample_source.hpp - a mono stream of samples at a fixed rate, read a block at a time.
//
// The analyses stream their input vector by vector, so a long recording never has to sit in
// memory whole.  Sources know their length up front (for the progress bar).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace morvkit {

class SampleSource {
  public:
    virtual ~SampleSource() = default;
    virtual double samplerate() const = 0;
    virtual std::int64_t frames() const = 0;
    // Fills the front of `out` with the next samples; returns how many (0 at the end).
    virtual std::size_t read(std::span<double> out) = 0;
};

// Samples already in memory, such as the demo's synthesised phrase.
class MemorySource : public SampleSource {
  public:
    MemorySource(std::span<const double> samples, double samplerate)
        : samples_(samples), samplerate_(samplerate) {}
    double samplerate() const override { return samplerate_; }
    std::int64_t frames() const override { return static_cast<std::int64_t>(samples_.size()); }
    std::size_t read(std::span<double> out) override;

  private:
    std::span<const double> samples_;
    double samplerate_;
    std::size_t position_ = 0;
};

}  // namespace morvkit
