#include "progress.hpp"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace morvkit {

bool progress_wanted(bool quiet, bool stderr_is_terminal, double input_seconds) {
    return !quiet && stderr_is_terminal && input_seconds > progress_min_seconds;
}

std::string progress_text(double fraction, int width) {
    if (!(fraction >= 0))
        fraction = 0;  // NaN counts as nothing done
    fraction = std::min(fraction, 1.0);
    width = std::max(width, 1);
    const int filled = static_cast<int>(fraction * width);
    const int percent = static_cast<int>(fraction * 100);
    char tail[8];
    std::snprintf(tail, sizeof tail, " %3d%%", percent);
    return "[" + std::string(filled, '#') + std::string(width - filled, '-') + "]" + tail;
}

ProgressBar::ProgressBar(std::int64_t total_frames, double samplerate, bool quiet)
    : total_(total_frames),
      enabled_(total_frames > 0 && samplerate > 0 &&
               progress_wanted(quiet, isatty(STDERR_FILENO) != 0,
                               static_cast<double>(total_frames) / samplerate)) {}

ProgressBar::~ProgressBar() {
    finish();
}

void ProgressBar::update(std::int64_t frames_done) {
    if (!enabled_)
        return;
    const double fraction = static_cast<double>(frames_done) / static_cast<double>(total_);
    const int percent = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 100);
    if (percent == shown_percent_)
        return;
    shown_percent_ = percent;
    std::fprintf(stderr, "\r%s", progress_text(fraction, 40).c_str());
    std::fflush(stderr);
}

void ProgressBar::finish() {
    if (!enabled_ || shown_percent_ < 0)
        return;
    std::fprintf(stderr, "\r%*s\r", 46, "");
    std::fflush(stderr);
    shown_percent_ = -1;
}

}  // namespace morvkit
