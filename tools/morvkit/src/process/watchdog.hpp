// watchdog.hpp - telling a decoder that works slowly from one that makes no progress at all.
//
// A damaged header can make the audio-file library spin for ever without a system call, and a
// FIFO without data makes it wait for ever.  So each input is read in a child process that the
// parent watches with the clock below.  Progress is frames delivered (the child's own count) or
// bytes read (the kernel's count of the child's reads), and a read the kernel is still waiting
// for on a disk counts as work in progress: a slow disk or a long file never looks stalled, only
// a decoder that neither reads nor delivers.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace morvkit {

using WatchClock = std::chrono::steady_clock;

class StallClock {
  public:
    StallClock(double seconds, WatchClock::time_point start) : seconds_(seconds), since_(start) {}
    // Notes the progress counted so far (any number that grows with work), and whether the
    // clock should stand still (work under way that the count does not show yet, or work that
    // is not watched); true once the count has stood still for the timeout while the clock ran.
    bool stalled(std::int64_t progress, bool busy, WatchClock::time_point now);

  private:
    double seconds_;
    WatchClock::time_point since_;
    std::int64_t progress_ = -1;
};

// What the kernel says about a process's reading: the bytes it has read so far (any file, any
// pipe), and whether it is now waiting for a disk.  None when that cannot be known.
struct ReadActivity {
    std::int64_t bytes = 0;
    bool waiting_for_disk = false;
};
std::optional<ReadActivity> read_activity(pid_t process);

// In a watched child: the count of its processes now inside the decoder (opening, reading or
// seeking an input), in memory the parent reads.  Only there can a decoder stall, so only there
// does the watchdog's clock run: loading the modules, analysing and writing are the command's own
// work, however long a slow machine takes for them.
void report_decoding_to(std::atomic<int> *count);
class InDecoder {
  public:
    InDecoder();
    ~InDecoder();
    InDecoder(const InDecoder &) = delete;
    InDecoder &operator=(const InDecoder &) = delete;
};

// "the decoder made no progress for 10 s (a damaged header?)"
std::string stall_message(double seconds);

}  // namespace morvkit
