// Time per call of the lag estimator, and of its correlation alone per variant, for the window
// sizes that matter: 32, 186 (the default), 370, 1000, 2207 (20 Hz at 44100 Hz without
// decimation) and 4410 (10 Hz).
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "yin_correlation.h"
#include "yin_correlation_fft.h"
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

void BM_yin_correlate(benchmark::State &state, const char *variant) {
    const yin_correlate_fn routine = yin_correlate_variant(variant);
    if (!routine) {
        state.SkipWithError("this CPU does not run the variant");
        return;
    }
    const int w = static_cast<int>(state.range(0));
    const auto frame = frame_for(w);
    std::vector<float> acf(static_cast<std::size_t>(w + 4));
    for (auto _ : state) {
        routine(frame.data(), acf.data(), w);
        benchmark::ClobberMemory();
    }
    state.counters["products"] = benchmark::Counter(static_cast<double>(state.iterations()) * w * w,
                                                    benchmark::Counter::kIsRate);
}

// The FFT path, to set against the fastest direct variant: yin_correlate_fft_from() is where it
// wins.  On 16-bit audio many lags' sums fall exactly between two floats, and those lags are
// summed directly; the "quantised" run shows what that costs.
void BM_yin_correlate_fft(benchmark::State &state, bool quantised) {
    const int w = static_cast<int>(state.range(0));
    auto frame = frame_for(w);
    if (quantised) {
        for (float &x : frame) {
            x = std::round(x * 8192.0f) / 32768.0f;
        }
    }
    std::vector<float> acf(static_cast<std::size_t>(w + 4));
    yin_fft_correlation *plan = yin_fft_correlation_new(w);
    for (auto _ : state) {
        yin_correlate_fft(plan, frame.data(), acf.data(), w);
        benchmark::ClobberMemory();
    }
    state.counters["fft_length"] = yin_fft_correlation_length(plan);
    yin_fft_correlation_free(plan);
}

void window_sizes(benchmark::internal::Benchmark *b) {
    // Between the sizes that matter, enough steps to show where the FFT path overtakes.
    for (int w : {32, 128, 186, 256, 370, 512, 700, 1000, 1400, 2207, 4410}) {
        b->Arg(w);
    }
}

}  // namespace

BENCHMARK(BM_yin_calculate_lag)->Apply(window_sizes);
BENCHMARK_CAPTURE(BM_yin_correlate, portable, "portable")->Apply(window_sizes);
BENCHMARK_CAPTURE(BM_yin_correlate, avx2, "avx2")->Apply(window_sizes);
BENCHMARK_CAPTURE(BM_yin_correlate, avx512, "avx512")->Apply(window_sizes);
BENCHMARK_CAPTURE(BM_yin_correlate_fft, float, false)->Apply(window_sizes);
BENCHMARK_CAPTURE(BM_yin_correlate_fft, quantised, true)->Apply(window_sizes);
