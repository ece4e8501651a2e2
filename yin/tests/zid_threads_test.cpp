// zid~ under three threads at once, as in the real host: one storms attributes and messages,
// one runs the signal graph (the perform routine), one runs the scheduler (the outlets).  Run
// under ThreadSanitizer, any unsynchronised access to the record is reported as a race; in every
// build, each geometry that the perform routine derives must be the geometry of some parameter
// set that the setters accepted, never a mixture of stale and new values.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <random>
#include <set>
#include <thread>
#include <tuple>

#include "yin_geometry.h"
#include "module_fixture.h"
#include "yin.h"

namespace {

using morvhost::make_float;
using morvhost::make_long;
using morvhost::make_sym;

const double minfreqs[] = {60, 150, 400, 1000};
const double periods[] = {0, 2, 5, 12};

// (down, max_lag, window_size, hop_size) of every parameter combination the storm can set.
std::set<std::tuple<int, int, int, int>> accepted_geometries() {
    std::set<std::tuple<int, int, int, int>> all;
    for (int32_t down = 0; down <= 3; ++down)
        for (double f : minfreqs)
            for (double p : periods) {
                const yin_geometry g = yin_derive_geometry(44100, 64, down, f, p);
                all.insert({g.down, g.max_lag, g.window_size, g.hop_size});
            }
    return all;
}

TEST(ZidThreads, StormWhileRunning) {
    auto box = morvtest::make_box("zid~ 1 150 2");
    ASSERT_TRUE(box);
    morvtest::OutletLog log(*box);
    morvhost::DspGraph graph;
    graph.add(*box);
    graph.connect(morvhost::DspGraph::sine(330, 44100, 0.5), *box, 0);
    ASSERT_TRUE(graph.compile(44100, 64));
    const auto accepted = accepted_geometries();
    const yin_t &x = morvtest::record<yin_t>(*box);

    std::atomic<bool> storming{true};
    std::atomic<long> mismatches{0}, vectors{0};
    std::thread audio([&] {
        while (storming.load() || vectors.load() < 400) {
            graph.run(1);
            ++vectors;
            // The geometry fields belong to this thread; they must form an accepted set.
            if (!accepted.count(
                    {x.frames.down, x.frames.max_lag, x.frames.window_size, x.frames.hop_size}))
                ++mismatches;
        }
    });
    std::thread scheduler([&] {
        while (storming.load()) morvtest::run_scheduler();
    });

    std::mt19937 rng(11);
    std::uniform_int_distribution<int> pick(0, 3), what(0, 7);
    for (int i = 0; i < 4000; ++i) {
        switch (what(rng)) {
            case 0:
                box->set_attr("down", {make_long(pick(rng))});
                break;
            case 1:
                box->set_attr("minfreq", {make_float(minfreqs[pick(rng)])});
                break;
            case 2:
                box->send("period", {make_float(periods[pick(rng)])});
                break;
            case 3:
                box->set_attr("down", {make_sym("none")});
                break;
            case 4:
                box->send("threshold", {make_float(pick(rng) * 0.1)});
                break;
            case 5:
                box->send("active", {make_long(pick(rng) != 0)});
                break;
            default:
                box->send("bang");
                break;
        }
        if (i % 64 == 0)
            std::this_thread::yield();
    }
    box->send("active", {make_long(1)});
    box->set_attr("period", {make_float(2)});
    const long settle = vectors.load() + 200;
    while (vectors.load() < settle) std::this_thread::yield();
    storming = false;
    audio.join();
    scheduler.join();
    morvtest::run_scheduler();

    EXPECT_EQ(mismatches.load(), 0);
    // After the storm the geometry is that of the last accepted values, and analyses came out.
    EXPECT_EQ(x.applied_version, x.param_version);
    const yin_geometry last = yin_derive_geometry(44100, 64, x.down, x.minfreq, x.period);
    EXPECT_EQ(x.frames.window_size, last.window_size);
    EXPECT_EQ(x.frames.hop_size, last.hop_size);
    EXPECT_GT(log.analyses(), 0u);
    for (const auto &s : log.sent()) EXPECT_TRUE(std::isfinite(s.value));
}

}  // namespace
