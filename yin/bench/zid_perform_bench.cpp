// Cost of yin_perform per host vector, as real-time factor: seconds of audio processed per
// second of CPU.  The perform routine is taken from the compiled graph and called directly, so the
// figure excludes the stand-in host's own work.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "morvhost/host.hpp"

namespace {

constexpr double rate = 44100;

void perform(benchmark::State &state, const char *box_text, long vector_size = 64) {
    auto &host = morvhost::Host::get();
    static const bool loaded =
        host.load_module(std::string(MORV_EXTERNALS_DIR) + "/zid~" + host.module_suffix());
    if (!loaded) {
        state.SkipWithError("zid~ did not load");
        return;
    }
    auto box = morvhost::Box::create(box_text);
    morvhost::DspGraph graph;
    graph.add(*box);
    graph.connect(morvhost::DspGraph::constant(0.0), *box, 0);
    graph.compile(rate, vector_size);
    const auto routine = graph.perform_routines().at(0);

    // A second of a harmonic tone at 220 Hz, played in a loop.
    std::vector<double> tone(static_cast<size_t>(rate));
    for (size_t i = 0; i < tone.size(); ++i)
        for (int h = 1; h <= 6; ++h)
            tone[i] += std::sin(6.283185307179586 * 220 * h * i / rate) / h;
    size_t at = 0;
    for (auto _ : state) {
        double *ins[1] = {tone.data() + at};
        routine.second(routine.first, nullptr, ins, 1, nullptr, 0, vector_size, 0, nullptr);
        at = (at + vector_size) % (tone.size() - vector_size);
        if (host.pending_clocks())
            host.run_scheduler();
    }
    state.counters["realtime_factor"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * vector_size / rate, benchmark::Counter::kIsRate);
}

void defaults(benchmark::State &state) {
    perform(state, "zid~");
}
void full_rate_20hz(benchmark::State &state) {
    perform(state, "zid~ 0 20");
}
// Host vectors of any size, down to single samples, whose decimation groups span calls.
void defaults_vector(benchmark::State &state) {
    perform(state, "zid~", static_cast<long>(state.range(0)));
}

BENCHMARK(defaults);
BENCHMARK(full_rate_20hz);
BENCHMARK(defaults_vector)->Arg(1)->Arg(3)->Arg(63)->Arg(1000);

}  // namespace
