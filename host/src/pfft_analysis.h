// pfft_analysis.h - the spectral front end of the pfft~ container: one windowed FFT per frame.
//
// Contract: analyse() multiplies fft_size input samples by a periodic Hann window
// w[i] = 0.5 - 0.5 cos(2 pi i / fft_size), takes the unnormalised forward real FFT
// X[k] = sum_i w[i] x[i] e^{-2 pi i k n / fft_size} and keeps bins 0 .. fft_size/2 - 1 as real
// part, imaginary part and amplitude sqrt(re^2 + im^2).  fft_size must be a power of two >= 4
// (the container checks).  The twiddles and buffers are made once at construction; analyse()
// allocates nothing.
#pragma once

#include <memory>
#include <span>

namespace morvhost::pfft_detail {

class FrameAnalysis {
  public:
    explicit FrameAnalysis(long fft_size);
    ~FrameAnalysis();
    FrameAnalysis(const FrameAnalysis &) = delete;
    FrameAnalysis &operator=(const FrameAnalysis &) = delete;

    void analyse(std::span<const double> frame);  // frame.size() == fft_size

    std::span<const double> window() const;
    std::span<const double> real() const;
    std::span<const double> imag() const;
    std::span<const double> amplitude() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace morvhost::pfft_detail
