#include "process/interrupt.hpp"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <ctime>

namespace morvkit {
namespace {

constexpr int handled[] = {SIGINT, SIGTERM, SIGHUP};

std::atomic<int> first_signal{0};
// Loops now running that look at the flag; a process that is some command's child says nothing
// when it stops, its parent does.
std::atomic<int> checking{0};
std::atomic<bool> quiet_stop{false};
// The process this one works for, if any: when it has gone (its death sends us SIGTERM), nobody
// waits for an orderly end.
std::atomic<pid_t> parent_pid{0};

// A run has at most a table and a plot; a few spare slots cost nothing.  The paths are written
// before their slot is marked in use, so the handler only ever reads a complete path.
constexpr int slot_count = 8;
constexpr std::size_t path_capacity = 4096;
char temporaries[slot_count][path_capacity];
std::atomic<bool> in_use[slot_count];

// Children working for this process: 0 marks a free slot.
constexpr int child_slots = 1024;
std::atomic<pid_t> children[child_slots];

void pass_on(int signal) {
    for (auto &child : children)
        if (const pid_t pid = child.load(); pid > 0)
            kill(pid, signal);
}

// On the way out at once: the children have had the same signals, so they too are ending now,
// removing their temporaries.  Whoever waits for this process should find them done, so wait for
// them a moment (never for ever: a child may be stuck where no signal reaches it).
void await_children() {
    const timespec pace{0, 1'000'000};
    for (int tries = 0; tries < 1000; ++tries) {
        bool running = false;
        for (auto &child : children)
            if (const pid_t pid = child.load(); pid > 0) {
                if (waitpid(pid, nullptr, WNOHANG) == 0)
                    running = true;
                else
                    child.store(0);
            }
        if (!running)
            return;
        nanosleep(&pace, nullptr);
    }
}

static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free &&
                  std::atomic<pid_t>::is_always_lock_free,
              "the signal handler needs lock-free atomics");

// One write, as the orderly path's line; memcpy and strlen are safe in a handler, streams not.
void say_stopped(int signal) {
    char line[64] = "morvkit: stopped by ";
    std::size_t length = std::strlen(line);
    const char *name = signal_name(signal);
    const std::size_t n = std::strlen(name);
    std::memcpy(line + length, name, n);
    length += n;
    line[length++] = '\n';
    [[maybe_unused]] const auto written = write(STDERR_FILENO, line, length);
}

extern "C" void on_signal(int signal) {
    pass_on(signal);
    int none = 0;
    const bool first = first_signal.compare_exchange_strong(none, signal);
    const pid_t parent = parent_pid.load();
    const bool orphaned = parent > 0 && getppid() != parent;
    if (first && checking.load() > 0 && !orphaned)
        return;  // the loops notice at the next vector
    // Only async-signal-safe calls from here on.
    for (int i = 0; i < slot_count; ++i)
        if (in_use[i].load())
            unlink(temporaries[i]);
    await_children();
    if (first && !quiet_stop.load())
        say_stopped(signal);
    _exit(128 + first_signal.load());
}

}  // namespace

void install_interrupt_handlers() {
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a write blocked on a full pipe or a FIFO returns EINTR, so the writer can
    // see the flag instead of waiting for a reader that may never come.
    action.sa_flags = 0;
    for (int signal : handled) sigaction(signal, &action, nullptr);
    // A reader that went away (`morvkit ... | head`) is a write error like any other: reported,
    // exit 4, temporaries removed, rather than a silent death that leaves them behind.
    signal(SIGPIPE, SIG_IGN);
}

const char *signal_name(int signal) {
    switch (signal) {
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        case SIGHUP:
            return "SIGHUP";
        default:
            return "a signal";
    }
}

int interrupt_signal() {
    return first_signal.load(std::memory_order_relaxed);
}

void check_interrupt() {
    if (const int signal = interrupt_signal())
        throw Interrupted{signal};
}

InterruptChecks::InterruptChecks() {
    checking.fetch_add(1);
}

InterruptChecks::~InterruptChecks() {
    checking.fetch_sub(1);
}

SignalsDeferred::SignalsDeferred() {
    sigset_t deferred;
    sigemptyset(&deferred);
    for (int signal : handled) sigaddset(&deferred, signal);
    pthread_sigmask(SIG_BLOCK, &deferred, &previous_);
}

SignalsDeferred::~SignalsDeferred() {
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

int hold_temporary(const char *path) {
    if (std::strlen(path) >= path_capacity)
        return -1;
    for (int i = 0; i < slot_count; ++i) {
        if (in_use[i].load())
            continue;
        std::strcpy(temporaries[i], path);
        in_use[i].store(true);
        return i;
    }
    return -1;
}

void release_temporary(int slot) {
    if (slot >= 0 && slot < slot_count)
        in_use[slot].store(false);
}

int hold_child(pid_t child) {
    for (int i = 0; i < child_slots; ++i) {
        pid_t none = 0;
        if (children[i].compare_exchange_strong(none, child))
            return i;
    }
    return -1;
}

void release_child(int slot) {
    if (slot >= 0 && slot < child_slots)
        children[slot].store(0);
}

void forget_inherited_cleanup(pid_t parent) {
    for (auto &slot : in_use) slot.store(false);
    for (auto &child : children) child.store(0);
    checking.store(0);
    quiet_stop.store(true);
    parent_pid.store(parent);
}

}  // namespace morvkit
