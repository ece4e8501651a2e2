// Cost of morv.track~'s perform routine as a share of one core: processor seconds per second of
// audio, in per cent (`core_percent`; one instance in real time costs less than 100), for one
// instance and for eight in one graph.  The routines are taken from the compiled graph and called
// directly, each with the host's vector; the scheduler's sending of what they decide is counted
// too, as a host would spend it.
//
//   track_perform_bench [--benchmark_filter=...]   arguments: sample rate, lag in ms (-1: default)
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "morvhost/host.hpp"

namespace {

constexpr long kVector = 64;

// Two seconds of a melody in a loop: four harmonic notes of 0.4 s and a rest, so the counts
// include onsets, offsets and unvoiced frames.
std::vector<double> melody(double rate) {
    const double notes[] = {220.0, 330.0, 262.0, 196.0, 0.0};
    const std::size_t note_length = static_cast<std::size_t>(0.4 * rate);
    std::vector<double> samples(note_length * std::size(notes));
    for (std::size_t n = 0; n < std::size(notes); ++n)
        for (std::size_t i = 0; i < note_length && notes[n] > 0; ++i)
            for (int h = 1; h <= 6; ++h)
                samples[n * note_length + i] +=
                    0.3 * std::sin(6.283185307179586 * notes[n] * h * i / rate) / h;
    return samples;
}

void perform(benchmark::State &state, int instances) {
    auto &host = morvhost::Host::get();
    static const bool loaded =
        host.load_module(std::string(MORV_EXTERNALS_DIR) + "/morv.track~" + host.module_suffix());
    if (!loaded) {
        state.SkipWithError("morv.track~ did not load");
        return;
    }
    const double rate = static_cast<double>(state.range(0));
    const long lag = static_cast<long>(state.range(1));
    const std::string text = lag < 0 ? "morv.track~" : "morv.track~ @lag " + std::to_string(lag);
    std::vector<std::unique_ptr<morvhost::Box>> boxes;
    morvhost::DspGraph graph;
    for (int i = 0; i < instances; ++i) {
        boxes.push_back(morvhost::Box::create(text));
        graph.add(*boxes.back());
        graph.connect(morvhost::DspGraph::constant(0.0), *boxes.back(), 0);
    }
    graph.compile(rate, kVector);
    const auto routines = graph.perform_routines();
    const std::vector<double> input = melody(rate);
    std::size_t at = 0;
    const auto call_all = [&] {
        double *ins[1] = {const_cast<double *>(input.data()) + at};
        for (const auto &[object, routine] : routines)
            routine(object, nullptr, ins, 1, nullptr, 0, kVector, 0, nullptr);
        at = (at + kVector) % (input.size() - kVector);
        if (host.pending_clocks())
            host.run_scheduler();
    };
    call_all();  // the first call builds each instance's engine: set-up, not counted
    for (auto _ : state) call_all();
    // Audio seconds per processor second, inverted and scaled: processor time per audio time, %.
    state.counters["core_percent"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kVector / rate / 100.0,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["realtime_factor"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kVector / rate, benchmark::Counter::kIsRate);
}

void one(benchmark::State &state) {
    perform(state, 1);
}
void eight(benchmark::State &state) {
    perform(state, 8);
}

BENCHMARK(one)
    ->ArgNames({"rate", "lag"})
    ->ArgsProduct({{44100, 48000}, {0, 100, -1}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(eight)->ArgNames({"rate", "lag"})->Args({44100, -1})->Unit(benchmark::kMicrosecond);

}  // namespace
