// The perform routine of morv.track~ after set-up allocates nothing: counted by taking over the C
// library's allocator for this process (the module's calls reach it too) while the audio thread
// runs.  Only where the C library allows it (glibc) and no sanitizer holds it already.  (Locks
// cannot come: every field shared between threads is reached through always-lock-free atomic
// built-ins, which track.cpp asserts.)
#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>

#include "track_test_host.h"

extern "C" {
void *__libc_malloc(std::size_t);
void *__libc_calloc(std::size_t, std::size_t);
void *__libc_realloc(void *, std::size_t);
void *__libc_memalign(std::size_t, std::size_t);
void __libc_free(void *);
}

namespace {

thread_local bool counting = false;
std::atomic<int> allocations{0};

void count(std::atomic<int> &what) {
    if (counting)
        what.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

extern "C" {
void *malloc(std::size_t n) {
    count(allocations);
    return __libc_malloc(n);
}
void *calloc(std::size_t n, std::size_t size) {
    count(allocations);
    return __libc_calloc(n, size);
}
void *realloc(void *p, std::size_t n) {
    count(allocations);
    return __libc_realloc(p, n);
}
void *aligned_alloc(std::size_t alignment, std::size_t n) {
    count(allocations);
    return __libc_memalign(alignment, n);
}
int posix_memalign(void **p, std::size_t alignment, std::size_t n) {
    count(allocations);
    *p = __libc_memalign(alignment, n);
    return *p ? 0 : 12;  // ENOMEM
}
void free(void *p) {
    __libc_free(p);
}
}

namespace {

using track_test::make_box;
using track_test::Player;
using track_test::tone;

// Counts while the graph runs (the audio thread's part); the scheduler and the outlets, which
// the host's own bookkeeping serves, run uncounted.
void counted_play(Player &player, const std::vector<double> &samples) {
    player.play(samples, &counting);
}

TEST(TrackRealtime, PerformAllocatesNothingAfterSetUp) {
    auto box = make_box("morv.track~ @lag 100");
    ASSERT_TRUE(box);
    track_test::OutletLog log(*box);
    Player player(*box);
    player.play(tone(0, 0.05));  // the first perform call builds the engine
    allocations = 0;
    // Tones, notes, silence: every path of the engine, the queue and the clock.
    std::vector<double> x = tone(220, 0.4);
    const auto rest = tone(0, 0.3);
    x.insert(x.end(), rest.begin(), rest.end());
    const auto high = tone(880, 0.4);
    x.insert(x.end(), high.begin(), high.end());
    counted_play(player, x);
    EXPECT_EQ(allocations.load(), 0);
    EXPECT_GE(log.notes().size(), 3u);
    // The count sees what it is meant to catch: a new range builds a new engine in perform.
    box->set_attr("fmin", {morvhost::make_float(60.0)});
    counted_play(player, tone(220, 0.05));
    EXPECT_GT(allocations.load(), 0);
}

}  // namespace
