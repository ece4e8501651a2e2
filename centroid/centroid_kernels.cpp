// centroid_kernels.cpp - the spectral-centroid perform routines: the frame's centroid
// (core/centroid_frame.h) written over the whole output vector.
#include "centroid_kernels.h"

#include "centroid_frame.h"

namespace {

// Every input is read (the centroid formed) before the first output sample is written.
void fill(double *out, long n, double centroid) {
    for (long k = 0; k < n; ++k) {
        out[k] = centroid;
    }
}

}  // namespace

extern "C" void centroid_perform_complex(t_object *x, t_object *, double **ins, long, double **outs,
                                         long, long sampleframes, long, void *) {
    const double rate = reinterpret_cast<const centroid_t *>(x)->samplerate;
    fill(outs[0], sampleframes,
         morv::centroid_of_frame(sampleframes, rate, morv::power_weight(ins[0], ins[1])));
}

extern "C" void centroid_perform_amplitude(t_object *x, t_object *, double **ins, long,
                                           double **outs, long, long sampleframes, long, void *) {
    const double rate = reinterpret_cast<const centroid_t *>(x)->samplerate;
    fill(outs[0], sampleframes,
         morv::centroid_of_frame(sampleframes, rate, morv::amplitude_weight(ins[0])));
}
