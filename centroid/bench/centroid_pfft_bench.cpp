// Throughput of the whole chain a command-line analysis uses: audio through the stand-in
// host's pfft~ (window + FFT + inner graph) into morv.centroid~, per second of 44.1 kHz audio.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "morvhost/pfft.hpp"

namespace {

bool load_modules() {
    auto &host = morvhost::Host::get();
    const std::string suffix = morvhost::Host::module_suffix();
    return host.load_module(std::string(MORV_EXTENSIONS_DIR) + "/morv.splash" + suffix) &&
           host.load_module(std::string(MORV_EXTERNALS_DIR) + "/morv.centroid~" + suffix);
}

void BM_centroid_in_pfft(benchmark::State &state) {
    if (!load_modules()) {
        state.SkipWithError("modules not found");
        return;
    }
    const long size = state.range(0);
    std::vector<double> second(44100);
    for (std::size_t i = 0; i < second.size(); ++i) {
        second[i] = std::sin(0.05 * static_cast<double>(i)) + 0.25 * std::sin(0.9 * i);
    }
    morvhost::Pfft pfft(size, 4);
    morvhost::Box *box = pfft.create("morv.centroid~");
    pfft.feed_real(*box, 0);
    pfft.feed_imag(*box, 1);
    double last = 0;
    pfft.collect(*box, 0, [&last](const morvhost::PfftFrame &f) { last = f.values[0]; });
    pfft.compile(44100);
    for (auto _ : state) {
        pfft.process(second);
        benchmark::DoNotOptimize(last);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(second.size()));
    state.counters["frames/s of audio"] = 44100.0 * 4 / static_cast<double>(size);
}

BENCHMARK(BM_centroid_in_pfft)->Arg(512)->Arg(2048)->Unit(benchmark::kMillisecond);

}  // namespace
