// Throughput of the command's pipeline: audio through the real externals in the stand-in host,
// and the writers.  Items are input samples (pipelines) or rows (writers).
#include <benchmark/benchmark.h>

#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <vector>

#include "input/audio_file.hpp"
#include "analysis/centroid_run.hpp"
#include "analysis/host_session.hpp"
#include "analysis/pitch_run.hpp"
#include "demo/synth.hpp"
#include "output/writers.hpp"

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
        TableObserver rows(pitch_columns);
        benchmark::DoNotOptimize(run_pitch(source, settings, rows));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(p.samples.size()));
}
BENCHMARK(BM_PitchDefaults)->Arg(64)->Arg(512)->Unit(benchmark::kMillisecond);

void BM_CentroidDefaults(benchmark::State &state) {
    const auto &p = phrase();
    for (auto _ : state) {
        MemorySource source(p.samples, p.samplerate);
        TableObserver rows(centroid_columns);
        benchmark::DoNotOptimize(run_centroid(source, {}, rows));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(p.samples.size()));
}
BENCHMARK(BM_CentroidDefaults)->Unit(benchmark::kMillisecond);

void BM_WriteRows(benchmark::State &state) {
    const auto format = static_cast<Format>(state.range(0));
    for (auto _ : state) {
        std::ostringstream out;
        RowWriter writer(out, format, pitch_columns);
        writer.begin(Json::object());
        for (int i = 0; i < 10000; ++i) {
            const double row[] = {i / 172.265625, 220.0 + i * 1e-3, 0.1 / 3, 0.97};
            writer.row(row);
        }
        writer.end(Json::object());
        benchmark::DoNotOptimize(out.str().size());
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_WriteRows)
    ->Arg(static_cast<int>(Format::csv))
    ->Arg(static_cast<int>(Format::json))
    ->Unit(benchmark::kMillisecond);

// A 60 s mono WAV of 16-bit samples read as the pitch run reads it, a host vector (64 frames) at
// a time: what reading costs per input sample, system calls included.
void BM_ReadFileInVectors(benchmark::State &state) {
    const auto file = std::filesystem::temp_directory_path() / "morvkit_bench_read.wav";
    {
        SF_INFO info{};
        info.samplerate = 44100;
        info.channels = 1;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        SNDFILE *out = sf_open(file.c_str(), SFM_WRITE, &info);
        std::vector<double> second(44100);
        for (std::size_t i = 0; i < second.size(); ++i) second[i] = 0.5 * std::sin(0.05 * i);
        for (int s = 0; s < 60; ++s) sf_writef_double(out, second.data(), 44100);
        sf_close(out);
    }
    std::vector<double> vector(64);
    std::int64_t frames = 0;
    for (auto _ : state) {
        AudioFileSource source(file, {});
        while (const std::size_t got = source.read(vector))
            frames += static_cast<std::int64_t>(got);
    }
    state.SetItemsProcessed(frames);
    std::filesystem::remove(file);
}
BENCHMARK(BM_ReadFileInVectors)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace morvkit

BENCHMARK_MAIN();
