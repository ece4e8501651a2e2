// morv.track~ under three threads at once, as in the real host: one storms attributes and
// messages, one runs the signal graph (the perform routine), one runs the scheduler (the
// outlets).  Under ThreadSanitizer any unsynchronised access is reported as a race; in every
// build the notes must still alternate, each start followed by the end of the same note.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <numbers>
#include <random>
#include <thread>

#include "track_test_host.h"

namespace {

using morvhost::make_float;
using morvhost::make_long;
using morvhost::make_sym;

TEST(TrackThreads, StormWhileRunning) {
    auto box = track_test::make_box("morv.track~ @lag 30");
    ASSERT_TRUE(box);
    track_test::OutletLog log(*box);
    morvhost::DspGraph graph;
    graph.add(*box);
    // Tones of 0.15 s, a rest after every two: notes start and end all the time.
    long n = 0;
    graph.connect(
        [&n](double *out, long frames) {
            for (long i = 0; i < frames; ++i, ++n) {
                const long segment = n / 6615 % 3;
                const double hz = segment == 0 ? 220.0 : 330.0;
                out[i] = segment == 2 ? 0.0
                                      : 0.3 * std::sin(2.0 * std::numbers::pi * hz *
                                                       static_cast<double>(n) / 44100.0);
            }
        },
        *box, 0);
    ASSERT_TRUE(graph.compile(44100, 64));

    std::atomic<bool> storming{true};
    std::atomic<long> vectors{0};
    std::thread audio([&] {
        while (storming.load() || vectors.load() < 400) {
            graph.run(1);
            ++vectors;
        }
    });
    std::thread scheduler([&] {
        while (storming.load()) morvhost::Host::get().run_scheduler();
    });

    std::mt19937 rng(5);
    std::uniform_int_distribution<int> what(0, 7), pick(0, 3);
    for (int i = 0; i < 3000; ++i) {
        switch (what(rng)) {
            case 0:
                box->set_attr("fmin", {make_float(40.0 + 30.0 * pick(rng))});
                break;
            case 1:
                box->set_attr("fmax", {make_float(800.0 + 600.0 * pick(rng))});
                break;
            case 2:
                box->send("lag", {make_float(20.0 * pick(rng))});
                break;
            case 3:
                box->set_attr("unit", {make_sym(pick(rng) % 2 ? "midi" : "hz")});
                break;
            case 4:
                box->send("a4", {make_float(430.0 + 5.0 * pick(rng))});
                break;
            case 5:
                box->send("reset");
                break;
            case 6:
                box->send("active", {make_long(pick(rng) != 0)});
                break;
            default:
                break;  // a quiet moment: notes get through
        }
        if (i % 16 == 0)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    storming = false;
    audio.join();
    scheduler.join();
    // Then a calm second and a half, one thread doing both jobs as a host with overdrive off
    // does (unthrottled threads would let the audio run far ahead of the scheduler and overflow
    // the queue): several whole notes, and audio off ends the last.
    box->send("active", {make_long(1)});
    for (int v = 0; v < 1000; ++v) {
        graph.run(1);
        morvhost::Host::get().run_scheduler();
    }
    graph.stop();
    morvhost::Host::get().run_scheduler();

    const auto notes = log.notes();
    ASSERT_GE(notes.size(), 4u);
    for (std::size_t i = 0; i < notes.size(); ++i) {
        EXPECT_EQ(notes[i].velocity > 0, i % 2 == 0) << i;
        if (i % 2 == 1) {
            EXPECT_EQ(notes[i].value, notes[i - 1].value) << i;
        }
    }
    EXPECT_EQ(notes.size() % 2, 0u) << "audio off must end the last note";
    for (const auto &s : log.sent()) EXPECT_TRUE(std::isfinite(s.value));
}

}  // namespace
