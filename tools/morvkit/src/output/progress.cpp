#include "output/progress.hpp"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "output/cost.hpp"

namespace morvkit {

bool progress_wanted(bool quiet, bool stderr_is_terminal, double input_seconds) {
    return !quiet && stderr_is_terminal && input_seconds > progress_min_seconds;
}

std::string progress_text(double fraction, int width, double remaining_seconds) {
    if (!(fraction >= 0))
        fraction = 0;  // NaN counts as nothing done
    fraction = std::min(fraction, 1.0);
    width = std::max(width, 1);
    const int filled = static_cast<int>(fraction * width);
    const int percent = static_cast<int>(fraction * 100);
    char tail[8];
    std::snprintf(tail, sizeof tail, " %3d%%", percent);
    std::string text =
        "[" + std::string(filled, '#') + std::string(width - filled, '-') + "]" + tail;
    if (std::isfinite(remaining_seconds) && remaining_seconds >= 0)
        text += "  about " + duration_text(remaining_seconds) + " left";
    return text;
}

std::string progress_count_text(double seconds) {
    return duration_text(seconds) + " of audio analysed";
}

namespace {

std::atomic<std::int64_t> *progress_counter = nullptr;

}  // namespace

void report_progress_to(std::atomic<std::int64_t> *counter) {
    progress_counter = counter;
}

ProgressBar::ProgressBar(std::int64_t total_frames, double samplerate, bool quiet)
    : ProgressBar(total_frames,
                  total_frames > 0 && samplerate > 0 &&
                      progress_wanted(quiet, isatty(STDERR_FILENO) != 0,
                                      static_cast<double>(total_frames) / samplerate)) {
    // An input of unknown length (a stream) gets a count of the audio done instead, once that
    // passes the length worth a bar.
    if (total_frames <= 0 && samplerate > 0 && !quiet && isatty(STDERR_FILENO) != 0) {
        samplerate_ = samplerate;
        enabled_ = true;
    }
}

ProgressBar::ProgressBar(std::int64_t total, bool shown)
    : total_(total), enabled_(shown && total > 0), start_(std::chrono::steady_clock::now()) {}

ProgressBar::~ProgressBar() {
    finish();
}

void ProgressBar::update(std::int64_t frames_done, const std::string &note) {
    if (progress_counter)
        progress_counter->store(frames_done, std::memory_order_relaxed);
    if (!enabled_)
        return;
    const auto now = std::chrono::steady_clock::now();
    const auto second = std::chrono::seconds(1);
    if (samplerate_ > 0) {
        const double seconds = static_cast<double>(frames_done) / samplerate_;
        if (seconds <= progress_min_seconds || (shown_percent_ >= 0 && now - shown_at_ < second))
            return;
        shown_percent_ = 0;
        shown_at_ = now;
        draw(progress_count_text(seconds));
        return;
    }
    const double fraction = static_cast<double>(frames_done) / static_cast<double>(total_);
    const int percent = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 100);
    if (percent == shown_percent_ && now - shown_at_ < second)
        return;
    shown_percent_ = percent;
    shown_at_ = now;
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    const double remaining = elapsed >= 1 && fraction > 0
                                 ? elapsed * (1 - std::min(fraction, 1.0)) / fraction
                                 : std::numeric_limits<double>::quiet_NaN();
    draw(progress_text(fraction, 40, remaining) + (note.empty() ? "" : "  " + note));
}

void ProgressBar::draw(const std::string &text) {
    // Spaces over what a longer previous text left on the line.
    const int pad = static_cast<int>(shown_length_ > text.size() ? shown_length_ - text.size() : 0);
    std::fprintf(stderr, "\r%s%*s", text.c_str(), pad, "");
    shown_length_ = text.size();
    std::fflush(stderr);
}

void ProgressBar::finish() {
    if (!enabled_ || shown_percent_ < 0)
        return;
    std::fprintf(stderr, "\r%*s\r", static_cast<int>(shown_length_), "");
    std::fflush(stderr);
    shown_percent_ = -1;
}

}  // namespace morvkit
