// progress.hpp - a progress bar on stderr for long inputs.
//
// Shown only when stderr is a terminal (never in logs or pipes), the input lasts longer than
// `progress_min_seconds`, and the user did not ask for quiet.  A stream of unknown length gets
// a count of the audio analysed instead, once that is longer than `progress_min_seconds`.  Once a
// second of work has shown the pace, it also says how long the rest will take.  It redraws only
// when the displayed percentage changes or a second has passed, so it costs nothing measurable per
// vector.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <limits>
#include <string>

namespace morvkit {

inline constexpr double progress_min_seconds = 5.0;

bool progress_wanted(bool quiet, bool stderr_is_terminal, double input_seconds);
// The bar's text for a fraction done (clamped to 0..1): "[#####-----]  50%", followed by
// "  about 3 min 20 s left" when the remaining time is known.
std::string progress_text(double fraction, int width,
                          double remaining_seconds = std::numeric_limits<double>::quiet_NaN());

// What stands for the bar when the input's length is not known: "3 min 20 s of audio analysed".
std::string progress_count_text(double seconds);

// In a process that works for another: every bar's frames also go to this counter, which the
// other process reads (process/child_process.hpp).  Null (the default) for none.
void report_progress_to(std::atomic<std::int64_t> *counter);

class ProgressBar {
  public:
    // `total_frames` 0: a stream of unknown length, shown as a count of the audio analysed.
    ProgressBar(std::int64_t total_frames, double samplerate, bool quiet);
    // A bar over `total` things of any kind, shown when `shown`.
    ProgressBar(std::int64_t total, bool shown);
    ~ProgressBar();
    ProgressBar(const ProgressBar &) = delete;
    ProgressBar &operator=(const ProgressBar &) = delete;

    // `note`, when given, follows the bar ("3 of 10 files").
    void update(std::int64_t frames_done, const std::string &note = "");
    // Erases the bar, leaving the terminal line clean for what follows.
    void finish();

  private:
    void draw(const std::string &text);

    std::int64_t total_;
    bool enabled_;
    double samplerate_ = 0;  // above 0: counting the audio of a stream of unknown length
    int shown_percent_ = -1;
    std::size_t shown_length_ = 0;
    std::chrono::steady_clock::time_point start_, shown_at_;
};

}  // namespace morvkit
