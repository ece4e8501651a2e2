// pfft_analysis.cpp - windowing and FFT of one frame, through kissfft's C++ template in double
// precision.  The template is header-only and builds for every target; its twiddle table and
// the window come from sincos_turns, so the stand-in gives the same spectra, bit for bit, on
// Linux and on Windows.
#include "pfft_analysis.h"

#include <kissfft.hh>

#include <cmath>
#include <complex>
#include <vector>

#include "morvhost/turns.hpp"

namespace morvhost::pfft_detail {

namespace {

using Complex = std::complex<double>;
using Table = std::vector<Complex>;

// kissfft fills its twiddle table with the platform's libm, whose last bits differ between
// platforms, and keeps the table private.  An explicit instantiation may name private members
// (it is exempt from access checks), which is how this reaches the table to refill it, without
// changing the library.
template <Table kissfft<double>::*member>
struct TwiddleAccess {
    friend Table &twiddle_table(kissfft<double> &fft) { return fft.*member; }
};
template struct TwiddleAccess<&kissfft<double>::_twiddles>;
Table &twiddle_table(kissfft<double> &fft);

}  // namespace

struct FrameAnalysis::State {
    // A complex transform of all N points with zero imaginary parts: kissfft's real transform
    // would take a further twiddle from the platform's libm on every call.
    explicit State(long size) : fft(static_cast<std::size_t>(size), false) {}
    kissfft<double> fft;
    std::vector<double> window, re, im, amp;
    Table in, out;
};

FrameAnalysis::FrameAnalysis(long fft_size) : state_(std::make_unique<State>(fft_size)) {
    State &s = *state_;
    const auto size = static_cast<std::size_t>(fft_size);
    const std::size_t bins = size / 2;
    Table &twiddles = twiddle_table(s.fft);
    s.window.resize(size);
    for (std::size_t i = 0; i < size; ++i) {
        const SinCos turn = sincos_turns(static_cast<double>(i) / static_cast<double>(size));
        twiddles[i] = Complex(turn.cos, -turn.sin);  // e^{-2 pi i k / N}: the forward transform
        // Periodic (not symmetric) Hann: overlapping windows at hop size/2 sum to exactly 1.
        s.window[i] = 0.5 - 0.5 * turn.cos;
    }
    s.in.resize(size);
    s.out.resize(size);
    s.re.resize(bins);
    s.im.resize(bins);
    s.amp.resize(bins);
}

FrameAnalysis::~FrameAnalysis() = default;

void FrameAnalysis::analyse(std::span<const double> frame) {
    State &s = *state_;
    for (std::size_t i = 0; i < s.window.size(); ++i) {
        s.in[i] = Complex(frame[i] * s.window[i], 0.0);
    }
    s.fft.transform(s.in.data(), s.out.data());
    for (std::size_t k = 0; k < s.re.size(); ++k) {
        s.re[k] = s.out[k].real();
        s.im[k] = s.out[k].imag();
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
