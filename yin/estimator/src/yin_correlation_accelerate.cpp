// The autocorrelation on Apple platforms: one call of Accelerate's vDSP_conv in correlation form.
//
// With a positive filter stride vDSP_conv correlates: result[t] = sum over p < P of
// source[t + p] * filter[p] for t < N.  With source and filter both the frame and N = P = n, that
// is exactly acf[tau] = sum of frame[tau + p] * frame[p], reading frame[0 .. 2n - 2].  It
// accumulates in single precision, so its last bits may differ from the portable routine's.
#include "yin_correlation_kernels.h"

#include "accelerate_vdsp.h"

void yin_correlate_accelerate(const float *frame, float *acf, int n) {
    if (n <= 0) {
        return;  // vDSP_Length is unsigned: a negative length must never reach it
    }
    const auto length = static_cast<vDSP_Length>(n);
    vDSP_conv(frame, 1, frame, 1, acf, 1, length, length);
}
