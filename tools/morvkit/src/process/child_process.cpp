#include "process/child_process.hpp"

#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <new>
#include <string>

#include "base/errors.hpp"
#include "process/interrupt.hpp"

namespace morvkit {

ChildProcess::ChildProcess(const std::function<int()> &work) {
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ < 0)
        throw Error(ExitStatus::analysis,
                    std::string("cannot start a process: ") + std::strerror(errno));
    if (pid_ == 0) {
        forget_inherited_cleanup(parent);
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        // A parent that died before the line above sent nothing: look.
        if (getppid() != parent)
            _exit(128 + SIGTERM);
        _exit(work());
    }
    slot_ = hold_child(pid_);
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !status_)
        stop(SIGTERM);
    release_child(slot_);
}

void ChildProcess::reaped(int raw) {
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    release_child(slot_);  // its pid may be reused from now on
    slot_ = -1;
}

void ChildProcess::stop(int signal) {
    kill(pid_, signal);
    int raw = 0;
    while (waitpid(pid_, &raw, 0) < 0 && errno == EINTR) {
    }
    reaped(raw);
}

std::optional<int> ChildProcess::poll() {
    if (status_)
        return status_;
    int raw = 0;
    const pid_t got = waitpid(pid_, &raw, WNOHANG);
    if (got == pid_)
        reaped(raw);
    else if (got < 0 && errno != EINTR)
        status_ = static_cast<int>(ExitStatus::analysis);  // not ours to wait for: never happens
    return status_;
}

int ChildProcess::wait(const std::function<void()> &while_waiting) {
    while (!poll()) {
        while_waiting();
        pause_briefly();
    }
    return *status_;
}

int ChildProcess::end_at_once() {
    if (!poll())
        stop(SIGKILL);
    return *status_;
}

void pause_briefly() {
    const timespec pace{0, 5'000'000};
    nanosleep(&pace, nullptr);  // a signal cuts it short, which is what we want
}

void ChildReport::set_message(const char *text) {
    std::strncpy(message, text, sizeof message - 1);
    message[sizeof message - 1] = '\0';
}

SharedReports::SharedReports(std::size_t count) : count_(count) {
    void *memory = mmap(nullptr, sizeof(ChildReport) * count, PROT_READ | PROT_WRITE,
                        MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        throw Error(ExitStatus::analysis,
                    std::string("cannot share memory with processes: ") + std::strerror(errno));
    reports_ = static_cast<ChildReport *>(memory);
    for (std::size_t i = 0; i < count; ++i) new (reports_ + i) ChildReport;
}

SharedReports::~SharedReports() {
    munmap(reports_, sizeof(ChildReport) * count_);
}

static_assert(std::atomic<std::int64_t>::is_always_lock_free,
              "counters shared across processes must be lock-free");

}  // namespace morvkit
