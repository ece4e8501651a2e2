// centroid_kernels.h - the two perform routines of morv.centroid~.
//
// Contract: each call treats its n input samples as bins 0..n-1 of one spectral frame (the lower
// half of a 2n-point frame), computes the centroid F = scale * (sum k*w[k]) / (sum w[k]) with
// scale = samplerate / (2n), and writes F into all n samples of output vector 0.  The complex
// routine weighs bin k by x[k]^2 + y[k]^2 (inputs 0 and 1), the amplitude routine by input 0 as
// it stands (sign kept, input 1 never read).  The sums run in bin order in plain double
// arithmetic; a total weight of exactly zero gives +0.0, nothing else is guarded, so NaN and inf
// pass through.  Every input is read before the first output sample is written; n <= 0 writes
// nothing.  The routines read only `samplerate` from the instance, keep no state, allocate
// nothing and call no host function: they are safe on the audio thread.
#pragma once

#include "centroid.h"

#ifdef __cplusplus
extern "C" {
#endif

void centroid_perform_complex(t_object *x, t_object *dsp64, double **ins, long numins,
                              double **outs, long numouts, long sampleframes, long flags,
                              void *userparam);
void centroid_perform_amplitude(t_object *x, t_object *dsp64, double **ins, long numins,
                                double **outs, long numouts, long sampleframes, long flags,
                                void *userparam);

#ifdef __cplusplus
}
#endif
