// The perform routine of morv.track~ after set-up makes no system call: the thread that runs the
// graph puts itself under a seccomp filter that hands each of its system calls to a supervising
// thread, which counts those made while the graph runs (the audio thread's part) and lets every
// call proceed.  A blocking lock, a sleep, a write or an allocation that maps memory would all
// show.  Linux x86-64 only (the filter names the processor's system calls), without sanitizers,
// whose run-time makes calls of its own.
#include <gtest/gtest.h>

#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <thread>

#include "track_test_host.h"

namespace {

using track_test::kRate;
using track_test::kVector;
using track_test::make_box;
using track_test::tone;

// Every system call of the calling thread (and of threads it starts) goes to the listener the
// result names; -1 where the kernel refuses.
int supervise_this_thread() {
    sock_filter program[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_USER_NOTIF),
    };
    sock_fprog prog{static_cast<unsigned short>(std::size(program)), program};
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        return -1;
    return static_cast<int>(
        syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, SECCOMP_FILTER_FLAG_NEW_LISTENER, &prog));
}

// Answers every notification of `listener` with "carry on", counting those that arrive while
// `counting` holds, until `done` and the listener has gone quiet.
void supervise(int listener, const std::atomic<bool> &counting, std::atomic<int> &counted,
               const std::atomic<bool> &done) {
    for (;;) {
        pollfd p{listener, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0 || !(p.revents & POLLIN)) {
            if (done || (p.revents & POLLHUP))
                return;
            continue;
        }
        seccomp_notif request{};
        if (ioctl(listener, SECCOMP_IOCTL_NOTIF_RECV, &request) != 0)
            continue;  // the caller went away meanwhile
        if (counting)
            counted.fetch_add(1);
        seccomp_notif_resp response{};
        response.id = request.id;
        response.flags = SECCOMP_USER_NOTIF_FLAG_CONTINUE;
        ioctl(listener, SECCOMP_IOCTL_NOTIF_SEND, &response);
    }
}

TEST(TrackRealtime, PerformMakesNoSystemCall) {
    auto box = make_box("morv.track~ @lag 100");
    ASSERT_TRUE(box);
    track_test::OutletLog log(*box);
    // Tones, notes, silence: every path of the engine, the queue and the clock.
    std::vector<double> input = tone(0, 0.05);
    for (double hz : {220.0, 0.0, 880.0, 0.0}) {
        const auto part = tone(hz, 0.3);
        input.insert(input.end(), part.begin(), part.end());
    }
    std::size_t at = 0;
    morvhost::DspGraph graph;
    graph.add(*box);
    graph.connect(
        [&](double *out, long n) {
            for (long i = 0; i < n; ++i) out[i] = at < input.size() ? input[at++] : 0.0;
        },
        *box, 0);
    ASSERT_TRUE(graph.compile(kRate, kVector));
    graph.run(1);  // the first perform call builds the engine: set-up
    morvhost::Host::get().run_scheduler();

    std::atomic<bool> counting{false}, done{false};
    std::atomic<int> counted{0}, control{0};
    std::atomic<int> listener{-2};
    std::thread audio([&] {
        listener = supervise_this_thread();
        if (listener < 0)
            return;
        while (listener >= 0 && at < input.size()) {
            counting = true;
            graph.run(1);
            counting = false;
            morvhost::Host::get().run_scheduler();  // the scheduler's part, uncounted
        }
        // The count sees what it is meant to catch.
        const int before = counted;
        counting = true;
        syscall(SYS_getppid);
        counting = false;
        control = counted - before;
    });
    while (listener == -2) std::this_thread::yield();
    std::thread supervisor;
    if (listener >= 0)
        supervisor = std::thread(supervise, listener.load(), std::cref(counting), std::ref(counted),
                                 std::cref(done));
    audio.join();
    done = true;
    if (supervisor.joinable())
        supervisor.join();
    if (listener < 0)
        GTEST_SKIP() << "seccomp's user notification is not available here";
    close(listener);
    EXPECT_EQ(counted - control, 0);
    EXPECT_EQ(control.load(), 1);
    EXPECT_GE(log.notes().size(), 3u);
}

}  // namespace
