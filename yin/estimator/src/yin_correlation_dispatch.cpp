// The choice among the correlation variants: made once, when the module is loaded.
//
// The variants are listed from the least to the most preferred; the last one that this CPU runs
// becomes yin_correlate's routine before anything can call it.  The pointer starts at the portable
// routine (a constant initialisation), so even a call made before that choice is correct.
#include <cstring>

#include "yin_correlation.h"
#include "yin_correlation_kernels.h"

yin_correlate_fn yin_correlation_detail::active = yin_correlate_portable;

namespace {

bool always() {
    return true;
}

#if defined(MORV_YIN_X86_VARIANTS)
// __builtin_cpu_supports also checks that the operating system saves the wide registers.
bool has_avx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}
bool has_avx512() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f");
}
#endif

struct Variant {
    const char *name;
    yin_correlate_fn routine;
    bool (*runs_here)();
    int fft_from;  // the lag count from which the FFT path is faster than this routine
};

// The crossovers were measured with yinutils_bench on a 2-core AVX-512 x86-64 server; the one for
// Accelerate, which could not be measured there, assumes a direct routine about as fast as AVX-512.
const Variant kVariants[] = {
    {"portable", yin_correlate_portable, always, 200},
#if defined(MORV_YIN_X86_VARIANTS)
    {"avx2", yin_correlate_avx2, has_avx2, 320},
    {"avx512", yin_correlate_avx512, has_avx512, 800},
#endif
#if defined(MORV_YIN_ACCELERATE)
    {"accelerate", yin_correlate_accelerate, always, 800},
#endif
};

const Variant *active_variant = &kVariants[0];

const Variant *find(const char *name) {
    for (const Variant &v : kVariants) {
        if (std::strcmp(v.name, name) == 0) {
            return v.runs_here() ? &v : nullptr;
        }
    }
    return nullptr;
}

void use(const Variant &v) {
    yin_correlation_detail::active = v.routine;
    active_variant = &v;
}

const bool chosen_at_load = [] {
    for (const Variant &v : kVariants) {
        if (v.runs_here()) {
            use(v);
        }
    }
    return true;
}();

}  // namespace

yin_correlate_fn yin_correlate_variant(const char *name) {
    const Variant *v = find(name);
    return v ? v->routine : nullptr;
}

const char *yin_correlate_variant_name() {
    return active_variant->name;
}

int yin_correlate_fft_from() {
    return active_variant->fft_from;
}

bool yin_correlate_force(const char *name) {
    const Variant *v = find(name);
    if (v) {
        use(*v);
    }
    return v != nullptr;
}
