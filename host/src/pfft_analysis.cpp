// pfft_analysis.cpp - windowing and FFT of one frame, through FFTW in double precision.
#include "pfft_analysis.h"

#include <fftw3.h>

#include <cmath>
#include <mutex>
#include <numbers>
#include <vector>

namespace morvhost::pfft_detail {

namespace {
std::mutex &planner_lock() {
    static std::mutex lock;
    return lock;
}
}  // namespace

struct FrameAnalysis::State {
    long size;
    std::vector<double> window, re, im, amp;
    double *in = nullptr;
    fftw_complex *out = nullptr;
    fftw_plan plan = nullptr;
};

FrameAnalysis::FrameAnalysis(long fft_size) : state_(std::make_unique<State>()) {
    State &s = *state_;
    s.size = fft_size;
    const auto bins = static_cast<std::size_t>(fft_size / 2);
    s.window.resize(static_cast<std::size_t>(fft_size));
    for (long i = 0; i < fft_size; ++i) {
        // Periodic (not symmetric) Hann: overlapping windows at hop size/2 sum to exactly 1.
        s.window[static_cast<std::size_t>(i)] =
            0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) /
                                 static_cast<double>(fft_size));
    }
    s.re.resize(bins);
    s.im.resize(bins);
    s.amp.resize(bins);
    std::lock_guard guard(planner_lock());
    s.in = fftw_alloc_real(static_cast<std::size_t>(fft_size));
    s.out = fftw_alloc_complex(bins + 1);
    s.plan = fftw_plan_dft_r2c_1d(static_cast<int>(fft_size), s.in, s.out, FFTW_ESTIMATE);
}

FrameAnalysis::~FrameAnalysis() {
    std::lock_guard guard(planner_lock());
    fftw_destroy_plan(state_->plan);
    fftw_free(state_->out);
    fftw_free(state_->in);
}

void FrameAnalysis::analyse(std::span<const double> frame) {
    State &s = *state_;
    for (std::size_t i = 0; i < s.window.size(); ++i) {
        s.in[i] = frame[i] * s.window[i];
    }
    fftw_execute(s.plan);
    for (std::size_t k = 0; k < s.re.size(); ++k) {
        s.re[k] = s.out[k][0];
        s.im[k] = s.out[k][1];
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
