// Cross-thread use: clocks set from an audio thread while a scheduler thread runs them, and
// objects detached from a graph that another thread is running.  Run under ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <thread>

#include "morvhost/host.hpp"

using namespace morvhost;

namespace {

struct counter_t {
    t_pxobject ob;
    t_clock *clock;
    std::atomic<int> ticks;
    std::atomic<int> performs;
    double gain;  // an attribute only the main thread touches
};

t_class *counter_class = nullptr;

void counter_tick(counter_t *x) {
    x->ticks.fetch_add(1);
}

void counter_perform(counter_t *x, t_object *, double **, long, double **, long, long, long,
                     void *) {
    x->performs.fetch_add(1);
    clock_fdelay(x->clock, 0);
}

void counter_dsp(counter_t *x, t_object *dsp64, short *, double, long, long) {
    dsp_add64(dsp64, reinterpret_cast<t_object *>(x),
              reinterpret_cast<t_perfroutine64>(counter_perform), 0, nullptr);
}

void *counter_new(t_symbol *, long, t_atom *) {
    auto *x = static_cast<counter_t *>(object_alloc(counter_class));
    z_dsp_setup(&x->ob, 1);
    x->clock = clock_new(x, reinterpret_cast<method>(counter_tick));
    return x;
}

void counter_free(counter_t *x) {
    z_dsp_free(&x->ob);
    freeobject(x->clock);
}

void register_counter() {
    if (counter_class)
        return;
    counter_class =
        class_new("morvtest.counter~", reinterpret_cast<method>(counter_new),
                  reinterpret_cast<method>(counter_free), sizeof(counter_t), nullptr, A_GIMME, 0);
    class_dspinit(counter_class);
    class_addmethod(counter_class, reinterpret_cast<method>(counter_dsp), "dsp64", A_CANT, 0);
    class_addattr(counter_class, attr_offset_new("gain", gensym("float64"), 0, nullptr, nullptr,
                                                 offsetof(counter_t, gain)));
    class_register(CLASS_BOX, counter_class);
}

}  // namespace

TEST(Threads, ClocksSetByTheAudioThreadRunInTheSchedulerThread) {
    register_counter();
    auto box = Box::create("morvtest.counter~");
    ASSERT_NE(box, nullptr);
    auto *x = box->as<counter_t>();
    DspGraph graph;
    graph.add(*box);
    ASSERT_TRUE(graph.compile(44100, 64));
    std::atomic<bool> done{false};
    std::thread scheduler([&] {
        while (!done.load()) Host::get().run_scheduler();
    });
    std::thread audio([&] {
        graph.run(2000);
        done.store(true);
    });
    for (int i = 0; i < 200; ++i) {  // the main thread meanwhile sends messages and attributes
        box->send("enable", {make_long(i % 2)});
        box->send_text("gain 0.5");
        box->send_text("nosuchmessage");  // a console line while the others run
    }
    EXPECT_DOUBLE_EQ(x->gain, 0.5);
    audio.join();
    scheduler.join();
    Host::get().run_scheduler();
    EXPECT_EQ(x->performs.load(), 2000);
    EXPECT_GE(x->ticks.load(), 1);
    EXPECT_LE(x->ticks.load(), 2000);
    EXPECT_EQ(Host::get().pending_clocks(), 0);
}

TEST(Threads, FreeingAnObjectStopsPerformCallsOfARunningGraph) {
    register_counter();
    auto box = Box::create("morvtest.counter~");
    auto other = Box::create("morvtest.counter~");
    ASSERT_TRUE(box && other);
    DspGraph graph;
    graph.add(*box);
    graph.add(*other);
    ASSERT_TRUE(graph.compile(44100, 16));
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        while (!stop.load()) graph.run(1);
    });
    while (other->as<counter_t>()->performs.load() < 100) std::this_thread::yield();
    box.reset();  // frees the object while the audio thread is running the graph
    const int after = other->as<counter_t>()->performs.load();
    while (other->as<counter_t>()->performs.load() < after + 100) std::this_thread::yield();
    stop.store(true);
    audio.join();
    SUCCEED();  // the sanitizer builds check that no perform call touched freed memory
}
