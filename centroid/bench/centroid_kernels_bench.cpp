// Cost of one kernel call per frame size: linear in n, one pass and no allocation.
#include <benchmark/benchmark.h>

#include <vector>

#include "centroid_kernels.h"

namespace {

void run_kernel(benchmark::State &state, t_perfroutine64 kernel) {
    const long n = state.range(0);
    centroid_t x{};
    x.samplerate = 44100;
    std::vector<double> re(n), im(n), out(n);
    for (long k = 0; k < n; ++k) {
        re[k] = 1.0 / (1 + k);
        im[k] = 0.5 / (2 + k);
    }
    double *ins[] = {re.data(), im.data()};
    double *outs[] = {out.data()};
    for (auto _ : state) {
        kernel(reinterpret_cast<t_object *>(&x), nullptr, ins, 2, outs, 1, n, 0, nullptr);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_complex(benchmark::State &state) {
    run_kernel(state, centroid_perform_complex);
}
void BM_amplitude(benchmark::State &state) {
    run_kernel(state, centroid_perform_amplitude);
}

BENCHMARK(BM_complex)->RangeMultiplier(4)->Range(64, 4096);
BENCHMARK(BM_amplitude)->RangeMultiplier(4)->Range(64, 4096);

}  // namespace
