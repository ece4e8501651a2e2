// child_process.hpp - pieces of one command's work in separate processes.
//
// The stand-in host is one per process (one logical time, one scheduler), so work runs in
// parallel as child processes, each with a host of its own.  A child starts as a copy of the
// command before any analysis, runs its piece and ends with _exit: it never runs the parent's
// destructors nor writes out the parent's buffers, and it forgets the parent's temporary files.
// Every signal the parent receives is passed on to the children (interrupt.hpp); a parent that
// stops for any reason first stops (SIGTERM) and reaps every child still running, so none
// outlives it.  A parent that cannot do that (killed outright, SIGKILL to it alone) still takes
// its children with it: each asks the kernel for a SIGTERM when its parent dies, which a child
// whose parent is gone takes as "now" (interrupt.hpp), so it removes its temporaries and ends at
// once even where it would otherwise finish a step first.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

namespace morvkit {

class ChildProcess {
  public:
    // Starts `work` in a child; its return value is the child's exit status.  Throws
    // Error(analysis) when no process can be made.
    explicit ChildProcess(const std::function<int()> &work);
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // The exit status once the child has ended (128 + N when signal N ended it), else none.
    std::optional<int> poll();
    // Waits for the end, calling `while_waiting` every few milliseconds (progress, a check for
    // signals, which may throw).
    int wait(const std::function<void()> &while_waiting);
    // Ends the child at once (SIGKILL: it may be spinning where no signal handler would stop
    // it) and reaps it; returns its status (128 + SIGKILL unless it had just ended by itself).
    int end_at_once();
    pid_t pid() const { return pid_; }

  private:
    // Takes the status waitpid gave.
    void reaped(int raw);
    // Sends `signal` and waits for the end.
    void stop(int signal);

    pid_t pid_ = -1;
    int slot_ = -1;  // its registration for signals (interrupt.hpp)
    std::optional<int> status_;
};

// Sleeps a little while children work: the pace of the parent's polling.
void pause_briefly();

// Counters and messages that children write and the parent reads: memory shared across fork.
struct ChildReport {
    std::atomic<std::int64_t> frames{0};  // progress
    std::atomic<std::int64_t> extent{0};  // where the child's reading ended, in the whole input
    std::atomic<int> decoding{0};         // its processes inside the decoder (watchdog.hpp)
    char message[1024] = "";              // why the child failed
    void set_message(const char *text);
};

class SharedReports {
  public:
    explicit SharedReports(std::size_t count);
    ~SharedReports();
    SharedReports(const SharedReports &) = delete;
    SharedReports &operator=(const SharedReports &) = delete;
    ChildReport &operator[](std::size_t i) { return reports_[i]; }
    std::size_t size() const { return count_; }

  private:
    ChildReport *reports_ = nullptr;
    std::size_t count_ = 0;
};

}  // namespace morvkit
