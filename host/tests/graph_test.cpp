// The signal graph: dsp64 with connection counts, perform routines registered through
// "dsp_add64", the vectors they get, in-place rules, detaching and muting.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "morvhost/host.hpp"

using namespace morvhost;

namespace {

// Two signal inlets, two signal outlets: out0 = 2 * in0, out1 = in0 + in1.
struct gain_t {
    t_pxobject ob;
    short counts[4];
    double samplerate;
    long maxvs;
    int dsp_calls;
    int perform_calls;
    int disabled_calls;
    long last_frames;
    double *ins[2];
    double *outs[2];
    long registration;  // 0: message form, 1: object_method_direct, 2: dsp_add64()
    int dspstate_calls;
    long dspstate;
};

t_class *gain_class = nullptr;

void gain_perform(gain_t *x, t_object *, double **ins, long numins, double **outs, long numouts,
                  long frames, long, void *user) {
    ++x->perform_calls;
    if (x->ob.z_disabled)
        ++x->disabled_calls;
    x->last_frames = frames;
    if (numins != 2 || numouts != 2 || user != x)
        return;
    std::memcpy(x->ins, ins, sizeof x->ins);
    std::memcpy(x->outs, outs, sizeof x->outs);
    for (long i = 0; i < frames; ++i) {
        const double a = ins[0][i], b = ins[1][i];
        outs[0][i] = 2 * a;
        outs[1][i] = a + b;
    }
}

void gain_dsp(gain_t *x, t_object *dsp64, short *count, double sr, long maxvs, long) {
    ++x->dsp_calls;
    std::memcpy(x->counts, count, sizeof x->counts);
    x->samplerate = sr;
    x->maxvs = maxvs;
    if (x->registration == 0) {
        object_method_imp(dsp64, gensym("dsp_add64"), x, reinterpret_cast<void *>(gain_perform), 0,
                          x, 0, 0, 0, 0);
    } else if (x->registration == 1) {
        object_method_direct(void, (t_object *, t_object *, t_perfroutine64, long, void *), dsp64,
                             gensym("dsp_add64"), reinterpret_cast<t_object *>(x),
                             reinterpret_cast<t_perfroutine64>(gain_perform), 0, x);
    } else {
        dsp_add64(dsp64, reinterpret_cast<t_object *>(x),
                  reinterpret_cast<t_perfroutine64>(gain_perform), 0, x);
    }
}

void gain_dspstate(gain_t *x, long on) {
    ++x->dspstate_calls;
    x->dspstate = on;
}

// Arguments: registration form (0, 1, 2), then 1 for no-in-place.
void *gain_new(t_symbol *, long argc, t_atom *argv) {
    auto *x = static_cast<gain_t *>(object_alloc(gain_class));
    z_dsp_setup(&x->ob, 2);
    if (argc > 0)
        x->registration = atom_getlong(argv);
    if (argc > 1 && atom_getlong(argv + 1))
        x->ob.z_misc = Z_NO_INPLACE;
    outlet_new(x, "signal");
    outlet_new(x, "signal");
    return x;
}

void gain_free(gain_t *x) {
    z_dsp_free(&x->ob);
}

void register_gain() {
    if (gain_class)
        return;
    gain_class =
        class_new("morvtest.gain~", reinterpret_cast<method>(gain_new),
                  reinterpret_cast<method>(gain_free), sizeof(gain_t), nullptr, A_GIMME, 0);
    class_dspinit(gain_class);
    class_addmethod(gain_class, reinterpret_cast<method>(gain_dsp), "dsp64", A_CANT, 0);
    class_addmethod(gain_class, reinterpret_cast<method>(gain_dspstate), "dspstate", A_CANT, 0);
    class_register(CLASS_BOX, gain_class);
}

std::unique_ptr<Box> make_gain(const char *args = "") {
    register_gain();
    return Box::create(std::string("morvtest.gain~ ") + args);
}

}  // namespace

TEST(Graph, Dsp64GetsConnectionCountsRateAndVectorSize) {
    auto g1 = make_gain(), g2 = make_gain();
    DspGraph graph;
    graph.connect(DspGraph::constant(1), *g1, 0);
    graph.connect(*g1, 0, *g2, 1);
    graph.connect(*g1, 0, *g2, 1);  // two connections into one inlet are summed
    SignalSink sink = graph.connect_sink(*g2, 1);
    ASSERT_TRUE(graph.compile(48000, 32));
    auto *x1 = g1->as<gain_t>(), *x2 = g2->as<gain_t>();
    EXPECT_EQ(x1->dsp_calls, 1);
    EXPECT_DOUBLE_EQ(x1->samplerate, 48000);
    EXPECT_EQ(x1->maxvs, 32);
    EXPECT_EQ(std::vector<short>(x1->counts, x1->counts + 4), (std::vector<short>{1, 0, 2, 0}));
    EXPECT_EQ(std::vector<short>(x2->counts, x2->counts + 4), (std::vector<short>{0, 2, 0, 1}));
    graph.run(2);
    EXPECT_EQ(x1->perform_calls, 2);
    ASSERT_EQ(sink.samples().size(), 64u);
    for (double v : sink.samples()) EXPECT_DOUBLE_EQ(v, 4.0);  // 0 + (2 + 2)
}

TEST(Graph, DspstateTellsWhenAudioStartsAndStops) {
    auto g1 = make_gain(), g2 = make_gain();
    DspGraph graph;
    graph.connect(*g1, 0, *g2, 0);
    auto *x1 = g1->as<gain_t>();
    graph.stop();  // never compiled: nothing to stop
    EXPECT_EQ(x1->dspstate_calls, 0);
    ASSERT_TRUE(graph.compile(44100, 64));
    EXPECT_EQ(x1->dspstate_calls, 1);
    EXPECT_EQ(x1->dspstate, 1);
    graph.run(1);
    g2.reset();  // freed while audio runs: not told again
    graph.stop();
    EXPECT_EQ(x1->dspstate_calls, 2);
    EXPECT_EQ(x1->dspstate, 0);
    graph.run(1);  // stopped: no perform call until compiled again
    EXPECT_EQ(x1->perform_calls, 1);
    graph.stop();
    EXPECT_EQ(x1->dspstate_calls, 2);
}

TEST(Graph, EveryRegistrationFormAddsTheRoutineInTopologicalOrder) {
    auto a = make_gain("0"), b = make_gain("1"), c = make_gain("2");
    DspGraph graph;
    graph.connect(*b, 0, *c, 0);  // added b, c first, then a feeding b
    graph.connect(*a, 1, *b, 0);
    ASSERT_TRUE(graph.compile(44100, 8));
    const auto routines = graph.perform_routines();
    ASSERT_EQ(routines.size(), 3u);
    EXPECT_EQ(routines[0].first, a->object());
    EXPECT_EQ(routines[1].first, b->object());
    EXPECT_EQ(routines[2].first, c->object());
    for (const auto &r : routines)
        EXPECT_EQ(r.second, reinterpret_cast<t_perfroutine64>(gain_perform));
}

TEST(Graph, VectorsCarryTheSourceAndUnconnectedInletsAreZero) {
    auto g = make_gain("0 1");
    DspGraph graph;
    graph.connect({1, 2, 3, 4, 5, 6}, *g, 0);
    SignalSink doubled = graph.connect_sink(*g, 0);
    SignalSink summed = graph.connect_sink(*g, 1);
    ASSERT_TRUE(graph.compile(44100, 4));
    graph.run(2);
    EXPECT_EQ(doubled.samples(), (std::vector<double>{2, 4, 6, 8, 10, 12, 0, 0}));
    EXPECT_EQ(summed.samples(), (std::vector<double>{1, 2, 3, 4, 5, 6, 0, 0}));
    EXPECT_EQ(std::vector<double>(doubled.last_vector().begin(), doubled.last_vector().end()),
              (std::vector<double>{10, 12, 0, 0}));
}

TEST(Graph, NoInPlaceObjectsGetDistinctBuffersOthersMayShare) {
    auto strict = make_gain("0 1"), relaxed = make_gain("0 0");
    DspGraph graph;
    graph.connect(DspGraph::constant(1), *strict, 0);
    graph.connect(DspGraph::constant(1), *relaxed, 0);
    ASSERT_TRUE(graph.compile(44100, 16));
    graph.run(1);
    auto *s = strict->as<gain_t>();
    std::set<double *> distinct{s->ins[0], s->ins[1], s->outs[0], s->outs[1]};
    EXPECT_EQ(distinct.size(), 4u);
    auto *r = relaxed->as<gain_t>();
    EXPECT_EQ(r->outs[0], r->ins[0]);  // the host computes this one in place
}

TEST(Graph, RunFramesCallsWithAnotherFrameCountAndTimeFollowsIt) {
    auto g = make_gain();
    DspGraph graph;
    graph.connect(DspGraph::constant(1), *g, 0);
    SignalSink sink = graph.connect_sink(*g, 0);
    ASSERT_TRUE(graph.compile(44100, 64));
    const std::int64_t t0 = Host::get().now_samples();
    graph.run_frames(17);
    EXPECT_EQ(g->as<gain_t>()->last_frames, 17);
    EXPECT_EQ(sink.samples().size(), 17u);
    EXPECT_EQ(Host::get().now_samples(), t0 + 17);
    graph.run_frames(1000);  // capped at the vector size
    EXPECT_EQ(g->as<gain_t>()->last_frames, 64);
    graph.set_advances_time(false);
    graph.run(3);
    EXPECT_EQ(Host::get().now_samples(), t0 + 17 + 64);
}

TEST(Graph, ZDspFreeDetachesEvenFromACompiledGraph) {
    auto g = make_gain();
    DspGraph graph;
    graph.connect(DspGraph::constant(1), *g, 0);
    SignalSink sink = graph.connect_sink(*g, 0);
    ASSERT_TRUE(graph.compile(44100, 8));
    graph.run(1);
    auto *x = g->as<gain_t>();
    EXPECT_EQ(x->perform_calls, 1);
    z_dsp_free(&x->ob);
    graph.run(2);
    EXPECT_EQ(x->perform_calls, 1);
    for (double v : sink.last_vector()) EXPECT_EQ(v, 0.0);  // silence from a detached object
    ASSERT_TRUE(graph.compile(44100, 8));                   // and it stays out after a recompile
    EXPECT_TRUE(graph.perform_routines().empty());
}

TEST(Graph, AFreedBoxLeavesTheGraphSafely) {
    auto g = make_gain();
    auto downstream = make_gain();
    DspGraph graph;
    graph.connect(*g, 0, *downstream, 0);
    ASSERT_TRUE(graph.compile(44100, 8));
    g.reset();
    graph.run(2);  // no call into freed memory (the sanitizer builds check this)
    EXPECT_EQ(downstream->as<gain_t>()->perform_calls, 2);
    EXPECT_TRUE(graph.compile(44100, 8));
    EXPECT_EQ(graph.perform_routines().size(), 1u);
}

TEST(Graph, ANewBoxIsANewNodeEvenAtTheAddressOfAFreedOne) {
    DspGraph graph;
    for (int round = 0; round < 40; ++round) {  // sooner or later the allocator reuses one
        auto g = make_gain();
        graph.connect(DspGraph::constant(1), *g, 0);
        ASSERT_TRUE(graph.compile(44100, 8));
        graph.run(1);
        EXPECT_EQ(g->as<gain_t>()->perform_calls, 1) << "round " << round;
    }
}

TEST(Graph, MutedObjectsAreStillCalledAndSeeTheFlag) {
    auto g = make_gain();
    DspGraph graph;
    graph.add(*g);
    ASSERT_TRUE(graph.compile(44100, 8));
    g->set_dsp_enabled(false);
    graph.run(1);
    EXPECT_TRUE(g->send("enable", {make_long(1)}));
    graph.run(1);
    auto *x = g->as<gain_t>();
    EXPECT_EQ(x->perform_calls, 2);
    EXPECT_EQ(x->disabled_calls, 1);
    EXPECT_EQ(g->signal_inlets(), 2);
    EXPECT_EQ(x->ob.z_count, 2);
    EXPECT_TRUE(g->outlet(0).is_signal());
}

TEST(Graph, BadGraphsAreRefusedWithAConsoleLine) {
    auto a = make_gain(), b = make_gain();
    DspGraph cycle;
    cycle.connect(*a, 0, *b, 0);
    cycle.connect(*b, 0, *a, 0);
    EXPECT_FALSE(cycle.compile(44100, 64));
    EXPECT_TRUE(Host::get().console_has("cycle"));
    DspGraph bad_inlet;
    bad_inlet.connect(DspGraph::constant(1), *a, 5);
    EXPECT_FALSE(bad_inlet.compile(44100, 64));
    DspGraph ok;
    ok.add(*a);
    EXPECT_FALSE(ok.compile(44100, 0));
    EXPECT_FALSE(ok.compile(std::numeric_limits<double>::quiet_NaN(), 64));
    EXPECT_FALSE(ok.compile(44100, std::numeric_limits<long>::max()));
    ok.run(1);  // not compiled: nothing runs
    EXPECT_EQ(a->as<gain_t>()->perform_calls, 0);
}

TEST(Graph, DspAdd64OutsideDsp64IsRefused) {
    auto g = make_gain();
    Host::get().clear_console();
    dsp_add64(g->object(), g->object(), reinterpret_cast<t_perfroutine64>(gain_perform), 0,
              nullptr);
    EXPECT_TRUE(Host::get().console_has("not a dsp chain"));
}
