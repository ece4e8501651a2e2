// watched_input.hpp - one input's analysis in a child process, ended when its decoder stalls.
//
// The child runs the command for its input (pitch or centroid) with its own host; the parent
// polls it and ends it (SIGKILL) once it has neither read nor delivered anything for the stall
// timeout (process/watchdog.hpp).  A single input is run this way too, so that no input can hang
// the command: standard output and standard error are the child's as they were the parent's.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "process/child_process.hpp"
#include "cli/options.hpp"
#include "process/watchdog.hpp"

namespace morvkit {

class WatchedInput {
  public:
    // Starts `work` (returning its exit status) in a child reporting to `report`; 0 seconds
    // never ends it.
    WatchedInput(const std::function<int()> &work, ChildReport &report, double stall_seconds);
    // The child's exit status once it has ended, or has been ended here because it stalled.
    std::optional<int> poll();
    bool stalled() const { return stalled_; }

  private:
    ChildReport &report_;
    double stall_seconds_;
    ChildProcess child_;
    StallClock clock_;
    WatchClock::time_point looked_;
    bool stalled_ = false;
};

// In the child: the command for the input of `options`, its progress and the end of its reading
// reported to `report`.  A failure is said on stderr in one line, `prefix` + the message, and a
// stop by a signal only when `say_stop`; returns the exit status.
int analyse_input(const Options &options, ChildReport &report, const std::string &prefix,
                  bool say_stop);

// The pitch or centroid command on its one input, watched: returns its exit status, its failure
// already said.  Throws Error(input) naming the file when its decoder stalled, and Interrupted.
int run_watched_input(const Options &options);

}  // namespace morvkit
