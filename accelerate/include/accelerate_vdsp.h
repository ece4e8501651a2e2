// accelerate_vdsp - the few vDSP routines that zid~'s Apple code calls, and nothing else.
//
// On a Mac the real <Accelerate/Accelerate.h> is used.  Where it is absent (the macOS cross build
// and the Linux build that runs the Apple code against the stand-in in accelerate/standin), these
// are the routines' declarations as Apple documents them, so the same sources compile everywhere.
// The shipped modules read this header alone, never the stand-in.
// Semantics, as the Apple code relies on them:
//   vDSP_conv       C[n] = sum over p < P of A[n*IA + p*IA] * F[p*IF], n < N; a positive IF
//                   correlates; reads A[0 .. N + P - 2] (unit strides), writes C[0 .. N - 1].
//   vDSP_create_fftsetupD  a setup for transforms of up to 2^Log2n points, radix 2; null on
//                   failure.  vDSP_destroy_fftsetupD(null) does nothing.
//   vDSP_fft_zripD  in place on 2^Log2N reals held as split complex (even samples in realp, odd in
//                   imagp).  Forward gives twice the DFT, packed: realp[0] = 2 X[0],
//                   imagp[0] = 2 X[N/2], realp[k] + i imagp[k] = 2 X[k] for 0 < k < N/2.
//                   Inverse takes that packing and gives the unscaled sum of the full spectrum,
//                   split as above, so forward then inverse multiplies by 2N.
//   vDSP_ctozD / vDSP_ztocD  interleaved complex to split and back; the interleaved stride counts
//                   doubles' pairs as 2.
#pragma once

#if __has_include(<Accelerate/Accelerate.h>)
#include <Accelerate/Accelerate.h>
#else

extern "C" {

typedef unsigned long vDSP_Length;
typedef long vDSP_Stride;

typedef struct DSPDoubleComplex {
    double real;
    double imag;
} DSPDoubleComplex;

typedef struct DSPDoubleSplitComplex {
    double *realp;
    double *imagp;
} DSPDoubleSplitComplex;

typedef struct OpaqueFFTSetupD *FFTSetupD;
typedef int FFTDirection;
typedef int FFTRadix;

enum { kFFTDirection_Forward = +1, kFFTDirection_Inverse = -1 };
enum { kFFTRadix2 = 0, kFFTRadix3 = 1, kFFTRadix5 = 2 };

void vDSP_conv(const float *A, vDSP_Stride IA, const float *F, vDSP_Stride IF, float *C,
               vDSP_Stride IC, vDSP_Length N, vDSP_Length P);

FFTSetupD vDSP_create_fftsetupD(vDSP_Length Log2n, FFTRadix Radix);
void vDSP_destroy_fftsetupD(FFTSetupD setup);
void vDSP_fft_zripD(FFTSetupD Setup, const DSPDoubleSplitComplex *C, vDSP_Stride IC,
                    vDSP_Length Log2N, FFTDirection Direction);

void vDSP_ctozD(const DSPDoubleComplex *C, vDSP_Stride IC, const DSPDoubleSplitComplex *Z,
                vDSP_Stride IZ, vDSP_Length N);
void vDSP_ztocD(const DSPDoubleSplitComplex *Z, vDSP_Stride IZ, DSPDoubleComplex *C, vDSP_Stride IC,
                vDSP_Length N);

}  // extern "C"

#endif
