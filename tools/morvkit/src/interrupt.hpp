// interrupt.hpp - stopping a run cleanly when the user or the system asks.
//
// SIGINT, SIGTERM and SIGHUP only raise a flag: the analysis loops look at it once per vector
// (or frame) and leave by throwing Interrupted, so every result file's temporary is removed on
// the way out and the command exits with 128 + the signal number, as shells expect.  A second
// signal means "now": the handler removes the temporaries still registered here and ends the
// process at once, without waiting for a long analysis step to finish.  Child processes that do
// part of the work receive every signal this process receives.  SIGPIPE is ignored, so that a
// closed pipe on standard output is a write error like any other.
#pragma once

#include <sys/types.h>

namespace morvkit {

struct Interrupted {
    int signal;
};

void install_interrupt_handlers();
// The first signal received, or 0.
int interrupt_signal();
// Throws Interrupted when a signal has arrived.
void check_interrupt();

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

// In a child process: forgets the parent's temporaries and children, which are not the child's.
void forget_inherited_cleanup();

}  // namespace morvkit
