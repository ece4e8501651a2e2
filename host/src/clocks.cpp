// clocks.cpp - clocks, logical time and the scheduler.
//
// clock_fdelay may be called from the audio thread, so setting a clock is one atomic store of
// its due time; the scheduler (Host::run_scheduler) takes a mutex only for the list of clocks,
// which the main thread changes when clocks are made or freed.
#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <tuple>
#include <unordered_set>

#include "host_internal.hpp"

namespace morvhost::detail {
namespace {

constexpr std::int64_t kUnset = -1;

struct ClockObj {
    t_object ob;
    void *owner = nullptr;
    method fn = nullptr;
    std::atomic<std::int64_t> due{kUnset};  // logical time in samples, or kUnset
    std::atomic<std::uint64_t> order{0};    // clocks due at the same time run in setting order
};

struct Clocks {
    std::recursive_mutex mutex;  // a routine may make or free clocks while the scheduler runs
    std::unordered_set<ClockObj *> clocks;
};

Clocks &clocks() {
    static auto *c = new Clocks;
    return *c;
}

t_class *clock_class() {
    static t_class *c = internal_class("clock", sizeof(ClockObj), [](t_object *x) {
        auto *clk = reinterpret_cast<ClockObj *>(x);
        {
            std::lock_guard lock(clocks().mutex);
            clocks().clocks.erase(clk);
        }
        clk->~ClockObj();
    });
    return c;
}

// Called from the audio thread too: no lock, no allocation.  The class pointer is compared
// through the header only, since the live-object table has a lock.
ClockObj *as_clock(void *x) {
    auto *o = static_cast<t_object *>(x);
    if (!o || o->o_magic != MAGIC || o->o_messlist != &clock_class()->anchor[1])
        return nullptr;
    return reinterpret_cast<ClockObj *>(o);
}

}  // namespace

std::atomic<std::int64_t> &logical_time() {
    static std::atomic<std::int64_t> t{0};
    return t;
}

std::atomic<double> &time_samplerate() {
    static std::atomic<double> sr{44100.0};
    return sr;
}

}  // namespace morvhost::detail

using namespace morvhost::detail;

t_clock *clock_new(void *obj, method fn) {
    if (!fn) {
        console_error(nullptr, "clock_new: null routine");
        return nullptr;
    }
    auto *c = new_internal<ClockObj>(clock_class());
    if (!c)
        return nullptr;
    c->owner = obj;
    c->fn = fn;
    std::lock_guard lock(clocks().mutex);
    clocks().clocks.insert(c);
    return c;
}

void clock_fdelay(t_clock *x, double f) {
    ClockObj *c = as_clock(x);
    if (!c)
        return;  // no console line: this may be the audio thread
    const double sr = time_samplerate().load(std::memory_order_relaxed);
    double samples = std::isnan(f) || f <= 0 ? 0.0 : std::ceil(f * sr / 1000.0);
    constexpr double far = static_cast<double>(std::numeric_limits<std::int64_t>::max() / 4);
    if (!(samples < far))
        samples = far;
    static std::atomic<std::uint64_t> next_order{0};
    c->order.store(next_order.fetch_add(1));
    c->due.store(logical_time().load() + static_cast<std::int64_t>(samples));
}

void clock_unset(t_clock *x) {
    if (ClockObj *c = as_clock(x))
        c->due.store(kUnset);
}

namespace morvhost {

int Host::run_scheduler() {
    auto &cs = detail::clocks();
    std::lock_guard lock(cs.mutex);
    const std::int64_t now = detail::logical_time().load();
    std::vector<std::tuple<std::int64_t, std::uint64_t, detail::ClockObj *>> due;
    for (detail::ClockObj *c : cs.clocks) {
        const std::int64_t d = c->due.load();
        if (d != detail::kUnset && d <= now)
            due.emplace_back(d, c->order.load(), c);
    }
    std::sort(due.begin(), due.end());
    int ran = 0;
    for (auto [when, order, c] : due) {
        // The clock may have been freed or reset by a routine that ran before it.
        if (!cs.clocks.count(c))
            continue;
        std::int64_t expected = when;
        if (!c->due.compare_exchange_strong(expected, detail::kUnset))
            continue;
        detail::call_method(c->fn, {{false, c->owner, 0}});
        ++ran;
    }
    return ran;
}

int Host::pending_clocks() const {
    auto &cs = detail::clocks();
    std::lock_guard lock(cs.mutex);
    int n = 0;
    for (detail::ClockObj *c : cs.clocks) n += c->due.load() != detail::kUnset;
    return n;
}

std::int64_t Host::now_samples() const {
    return detail::logical_time().load();
}

double Host::now_seconds() const {
    return static_cast<double>(detail::logical_time().load()) / detail::time_samplerate().load();
}

}  // namespace morvhost
