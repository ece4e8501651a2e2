// pfft_analysis.cpp - windowing and FFT of one frame, through kissfft's C++ template in double
// precision.  The template is header-only and builds for every target, so the stand-in gives
// the same spectra on Linux and on Windows.
#include "pfft_analysis.h"

#include <kissfft.hh>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace morvhost::pfft_detail {

struct FrameAnalysis::State {
    // A real transform of N samples is a complex one of N/2 points plus a final pass.
    explicit State(long size) : fft(static_cast<std::size_t>(size / 2), false) {}
    kissfft<double> fft;
    std::vector<double> window, in, re, im, amp;
    std::vector<std::complex<double>> out;
};

FrameAnalysis::FrameAnalysis(long fft_size) : state_(std::make_unique<State>(fft_size)) {
    State &s = *state_;
    const auto size = static_cast<std::size_t>(fft_size);
    const std::size_t bins = size / 2;
    s.window.resize(size);
    for (std::size_t i = 0; i < size; ++i) {
        // Periodic (not symmetric) Hann: overlapping windows at hop size/2 sum to exactly 1.
        s.window[i] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) /
                                           static_cast<double>(size));
    }
    s.in.resize(size);
    s.out.resize(bins);
    s.re.resize(bins);
    s.im.resize(bins);
    s.amp.resize(bins);
}

FrameAnalysis::~FrameAnalysis() = default;

void FrameAnalysis::analyse(std::span<const double> frame) {
    State &s = *state_;
    for (std::size_t i = 0; i < s.window.size(); ++i) {
        s.in[i] = frame[i] * s.window[i];
    }
    s.fft.transform_real(s.in.data(), s.out.data());
    // The first output packs the two real bins, DC and Nyquist; only DC is delivered.
    s.re[0] = s.out[0].real();
    s.im[0] = 0.0;
    for (std::size_t k = 1; k < s.re.size(); ++k) {
        s.re[k] = s.out[k].real();
        s.im[k] = s.out[k].imag();
    }
    for (std::size_t k = 0; k < s.re.size(); ++k) {
        s.amp[k] = std::sqrt(s.re[k] * s.re[k] + s.im[k] * s.im[k]);
    }
}

std::span<const double> FrameAnalysis::window() const {
    return state_->window;
}
std::span<const double> FrameAnalysis::real() const {
    return state_->re;
}
std::span<const double> FrameAnalysis::imag() const {
    return state_->im;
}
std::span<const double> FrameAnalysis::amplitude() const {
    return state_->amp;
}

}  // namespace morvhost::pfft_detail
