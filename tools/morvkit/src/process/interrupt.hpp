// interrupt.hpp - stopping a run cleanly when the user or the system asks.
//
// While an analysis loop runs, SIGINT, SIGTERM and SIGHUP only raise a flag: the loops look at it
// once per vector (or frame, or child waited for) and leave by throwing Interrupted, so every
// result file's temporary is removed on the way out and the command exits with 128 + the signal
// number, as shells expect.  A second signal means "now": the handler removes the temporaries
// still registered here and ends the process at once, without waiting for a long analysis step
// to finish.  Outside those loops nothing would look at the flag soon (a decoder can spin for
// hours on a damaged header while the input is opened), so there the first signal already ends
// the process at once, saying so.  Child processes that do part of the work receive every
// signal this process receives, and an exit at once waits a moment for them to have removed
// their own temporaries.  A child whose parent has gone (killed outright) takes any signal as
// "now".  SIGPIPE is ignored, so that a closed pipe on standard output is a write error like any
// other.
#pragma once

#include <signal.h>
#include <sys/types.h>

namespace morvkit {

struct Interrupted {
    int signal;
};

void install_interrupt_handlers();
// The first signal received, or 0.
int interrupt_signal();
// "SIGINT", "SIGTERM", "SIGHUP" (safe to call in a signal handler).
const char *signal_name(int signal);
// Throws Interrupted when a signal has arrived.
void check_interrupt();

// Held by a loop that calls check_interrupt at least once per vector: while one is held, a first
// signal only raises the flag.
class InterruptChecks {
  public:
    InterruptChecks();
    ~InterruptChecks();
    InterruptChecks(const InterruptChecks &) = delete;
    InterruptChecks &operator=(const InterruptChecks &) = delete;
};

// Defers SIGINT, SIGTERM and SIGHUP while held (in this thread), so that a temporary file's
// creation and its registration below are one step as the handler sees them: a signal between the
// two would end the process leaving a file that nobody knows to remove.
class SignalsDeferred {
  public:
    SignalsDeferred();
    ~SignalsDeferred();
    SignalsDeferred(const SignalsDeferred &) = delete;
    SignalsDeferred &operator=(const SignalsDeferred &) = delete;

  private:
    sigset_t previous_;
};

// Registers a temporary file for removal by a second signal.  Returns a slot for `release`, or
// -1 when every slot is taken (the file is then still removed on a normal exit or a first
// signal, only not by the emergency exit).
int hold_temporary(const char *path);
void release_temporary(int slot);
// Registers a child process, to which every signal received here is passed on, so that a parent
// stopped by a signal (or ended at once by a second one) leaves no child working.  Returns a slot
// for `release_child`, or -1 when every slot is taken.
int hold_child(pid_t child);
void release_child(int slot);

// In a child process of `parent`: forgets the parent's temporaries, children and loops, which
// are not the child's, and leaves saying why it stopped to the parent.  Once that parent is gone,
// any signal means "now".
void forget_inherited_cleanup(pid_t parent);

}  // namespace morvkit
