// What the stand-in host adds around the externals: one vector through a chain of signal
// objects, one typed message, one clock set from the audio thread.
#include <benchmark/benchmark.h>

#include "morvhost/host.hpp"

using namespace morvhost;

namespace {

struct pass_t {
    t_pxobject ob;
    double last;
};

t_class *pass_class = nullptr;

void pass_perform(pass_t *, t_object *, double **ins, long, double **outs, long, long n, long,
                  void *) {
    for (long i = 0; i < n; ++i) outs[0][i] = ins[0][i];
}

void pass_dsp(pass_t *x, t_object *dsp64, short *, double, long, long) {
    dsp_add64(dsp64, reinterpret_cast<t_object *>(x),
              reinterpret_cast<t_perfroutine64>(pass_perform), 0, nullptr);
}

void pass_float(pass_t *x, double f) {
    x->last = f;
}

void *pass_new(t_symbol *, long, t_atom *) {
    auto *x = static_cast<pass_t *>(object_alloc(pass_class));
    z_dsp_setup(&x->ob, 1);
    outlet_new(x, "signal");
    return x;
}

void register_pass() {
    if (pass_class)
        return;
    pass_class = class_new("morvbench.pass~", reinterpret_cast<method>(pass_new), nullptr,
                           sizeof(pass_t), nullptr, A_GIMME, 0);
    class_dspinit(pass_class);
    class_addmethod(pass_class, reinterpret_cast<method>(pass_dsp), "dsp64", A_CANT, 0);
    class_addmethod(pass_class, reinterpret_cast<method>(pass_float), "float", A_FLOAT, 0);
    class_register(CLASS_BOX, pass_class);
}

void BM_GraphVectorThroughChain(benchmark::State &state) {
    register_pass();
    std::vector<std::unique_ptr<Box>> boxes;
    DspGraph graph;
    for (long i = 0; i < state.range(0); ++i) {
        boxes.push_back(Box::create("morvbench.pass~"));
        if (i == 0)
            graph.connect(DspGraph::constant(0.5), *boxes[0], 0);
        else
            graph.connect(*boxes[static_cast<std::size_t>(i) - 1], 0, *boxes.back(), 0);
    }
    graph.compile(44100, 64);
    for (auto _ : state) graph.run(1);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_GraphVectorThroughChain)->Arg(1)->Arg(16);

void BM_TypedMessage(benchmark::State &state) {
    register_pass();
    auto box = Box::create("morvbench.pass~");
    const std::vector<t_atom> args{make_float(0.25)};
    for (auto _ : state) benchmark::DoNotOptimize(box->send("float", args));
}
BENCHMARK(BM_TypedMessage);

void BM_ClockFdelay(benchmark::State &state) {
    t_clock *clock = clock_new(nullptr, reinterpret_cast<method>(+[](void *) {}));
    for (auto _ : state) clock_fdelay(clock, 0);
    freeobject(clock);
}
BENCHMARK(BM_ClockFdelay);

}  // namespace
