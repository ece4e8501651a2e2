// Time per call of the lag estimator, and of its correlation alone, for the window sizes that
// matter: 32, 186 (the default), 370, 1000 and 2207 (20 Hz at 44100 Hz without decimation).
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "yin_correlation.h"
#include "yinutils.h"

namespace {

// A harmonic tone with a little noise, its period a fraction of the window as in real use.
std::vector<float> frame_for(int w) {
    std::mt19937 rng(static_cast<unsigned>(w));
    std::normal_distribution<double> noise(0.0, 0.01);
    const double period = w / 3.7;
    std::vector<float> frame(static_cast<std::size_t>(2 * w - 1));
    for (std::size_t n = 0; n < frame.size(); ++n) {
        const double phase = 2.0 * std::numbers::pi * static_cast<double>(n) / period;
        frame[n] = static_cast<float>(std::sin(phase) + 0.5 * std::sin(2.0 * phase + 0.3) +
                                      0.25 * std::sin(3.0 * phase + 1.1) + noise(rng));
    }
    return frame;
}

void BM_yin_calculate_lag(benchmark::State &state) {
    const int w = static_cast<int>(state.range(0));
    const auto frame = frame_for(w);
    std::vector<float> acf(static_cast<std::size_t>(w + 4));
    double aperiodicity = 0.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            yin_calculate_lag(frame.data(), acf.data(), w, 0.1, 1.0, &aperiodicity));
        benchmark::ClobberMemory();
    }
}

void BM_yin_correlate(benchmark::State &state) {
    const int w = static_cast<int>(state.range(0));
    const auto frame = frame_for(w);
    std::vector<float> acf(static_cast<std::size_t>(w + 4));
    for (auto _ : state) {
        yin_correlate(frame.data(), acf.data(), w);
        benchmark::ClobberMemory();
    }
}

}  // namespace

BENCHMARK(BM_yin_calculate_lag)->Arg(32)->Arg(186)->Arg(370)->Arg(1000)->Arg(2207);
BENCHMARK(BM_yin_correlate)->Arg(32)->Arg(186)->Arg(370)->Arg(1000)->Arg(2207);
