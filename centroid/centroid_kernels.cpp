// centroid_kernels.cpp - the spectral-centroid perform routines.
#include "centroid_kernels.h"

namespace {

// One pass over the frame with two running sums; `weight(k)` gives w[k].  The order of the
// operations is part of the result (the sums are not reassociated, the quotient is formed before
// the scale is applied), so that every build gives bit-identical output.
template <class Weight>
void write_centroid(const centroid_t *x, double *out, long n, Weight weight) {
    if (n <= 0) {
        return;
    }
    // 2.0 * n is exact for any frame a host can hand over (n < 2^52), and cannot overflow
    // the way the integer 2n could.
    const double scale = x->samplerate / (2.0 * static_cast<double>(n));
    double weighted = 0.0;
    double total = 0.0;
    for (long k = 0; k < n; ++k) {
        const double w = weight(k);
        total += w;
        weighted += static_cast<double>(k) * w;
    }
    // Only an exact zero is guarded: NaN compares unequal and passes into the result.
    const double centroid = (total == 0.0) ? 0.0 : (weighted / total) * scale;
    for (long k = 0; k < n; ++k) {
        out[k] = centroid;
    }
}

}  // namespace

extern "C" void centroid_perform_complex(t_object *x, t_object *, double **ins, long, double **outs,
                                         long, long sampleframes, long, void *) {
    const double *re = ins[0];
    const double *im = ins[1];
    write_centroid(reinterpret_cast<const centroid_t *>(x), outs[0], sampleframes,
                   [re, im](long k) { return re[k] * re[k] + im[k] * im[k]; });
}

extern "C" void centroid_perform_amplitude(t_object *x, t_object *, double **ins, long,
                                           double **outs, long, long sampleframes, long, void *) {
    const double *amp = ins[0];
    write_centroid(reinterpret_cast<const centroid_t *>(x), outs[0], sampleframes,
                   [amp](long k) { return amp[k]; });
}
