// Throughput of the command's pipeline: audio through the real externals in the stand-in host,
// and the writers.  Items are input samples (pipelines) or rows (writers).
#include <benchmark/benchmark.h>

#include <sstream>

#include "centroid_run.hpp"
#include "host_session.hpp"
#include "pitch_run.hpp"
#include "synth.hpp"
#include "writers.hpp"

namespace morvkit {
namespace {

const Phrase &phrase() {
    static const Phrase p = [] {
        prepare_host({});
        return synthesise_phrase(44100);
    }();
    return p;
}

void BM_PitchDefaults(benchmark::State &state) {
    const auto &p = phrase();
    PitchSettings settings;
    settings.vector_size = state.range(0);
    for (auto _ : state) {
        MemorySource source(p.samples, p.samplerate);
        benchmark::DoNotOptimize(run_pitch(source, settings).rows.rows());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(p.samples.size()));
}
BENCHMARK(BM_PitchDefaults)->Arg(64)->Arg(512)->Unit(benchmark::kMillisecond);

void BM_CentroidDefaults(benchmark::State &state) {
    const auto &p = phrase();
    for (auto _ : state) {
        MemorySource source(p.samples, p.samplerate);
        benchmark::DoNotOptimize(run_centroid(source, {}).rows.rows());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(p.samples.size()));
}
BENCHMARK(BM_CentroidDefaults)->Unit(benchmark::kMillisecond);

void BM_WriteCsv(benchmark::State &state) {
    Table table({"time", "frequency", "amplitude", "periodicity"});
    for (int i = 0; i < 10000; ++i)
        table.add_row({i / 172.265625, 220.0 + i * 1e-3, 0.1 / 3, 0.97});
    for (auto _ : state) {
        std::ostringstream out;
        write_csv(out, table);
        benchmark::DoNotOptimize(out.str().size());
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_WriteCsv)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace morvkit

BENCHMARK_MAIN();
