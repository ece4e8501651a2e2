// yin_correlation - the lag estimator's autocorrelation, behind one declaration.
//
// yin_correlate writes acf[tau] = sum over p = 0 .. n - 1 of frame[tau + p] * frame[p] for every
// tau = 0 .. n - 1, as single-precision values.  It reads frame[0 .. 2n - 2], writes acf[0 .. n -
// 1] and nothing else; it allocates nothing and keeps no state.  n of 0 or below writes nothing.
//
// yin_correlate is the fastest routine the platform offers: Accelerate's vDSP_conv on Apple, the
// portable routine elsewhere.  yin_correlate_portable is built everywhere; it accumulates each
// lag's sum in double and rounds once, so every value is the correctly rounded sum (or within one
// float ulp of it in the rare case where the double sum itself had to round).  The tests hold it
// to that standard and use it as the reference for whatever yin_correlate is.
#pragma once

void yin_correlate_portable(const float *frame, float *acf, int n);

#if defined(__APPLE__)
void yin_correlate(const float *frame, float *acf, int n);
#else
inline void yin_correlate(const float *frame, float *acf, int n) {
    yin_correlate_portable(frame, acf, n);
}
#endif
