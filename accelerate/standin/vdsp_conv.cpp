// vDSP_conv of the Accelerate stand-in: correlation (or, with a negative filter stride,
// convolution) exactly as Apple documents it, C[n] = sum over p < P of A[(n + p) IA] F[p IF].
//
// Apple promises nothing about the order or precision of each sum, so this sums in the plainest
// way it may: in single precision, p from 0 up, every product and every addition rounded to float.
// That differs in the last bits from the project's portable correlation (summed in double), as
// the real routine may, and the suite must hold zid~ to its tolerances all the same.
#include "accelerate_vdsp.h"

#include <algorithm>
#include <cstddef>

namespace {

// Outputs summed side by side: each keeps its own sum in index order, while the loop over a
// block runs across outputs, so it vectorises without reordering any one sum.
constexpr std::size_t kBlock = 64;

}  // namespace

void vDSP_conv(const float *A, vDSP_Stride IA, const float *F, vDSP_Stride IF, float *C,
               vDSP_Stride IC, vDSP_Length N, vDSP_Length P) {
    if (P == 0) {
        return;  // no product: nothing documented to write
    }
    const auto a = [A, IA](vDSP_Length i) { return A[static_cast<vDSP_Stride>(i) * IA]; };
    const auto f = [F, IF](vDSP_Length p) { return F[static_cast<vDSP_Stride>(p) * IF]; };
    float sums[kBlock];
    for (vDSP_Length first = 0; first < N; first += kBlock) {
        const std::size_t count = std::min<vDSP_Length>(kBlock, N - first);
        const float f0 = f(0);
        for (std::size_t j = 0; j < count; ++j) {
            sums[j] = a(first + j) * f0;
        }
        for (vDSP_Length p = 1; p < P; ++p) {
            const float fp = f(p);
            for (std::size_t j = 0; j < count; ++j) {
                sums[j] += a(first + j + p) * fp;
            }
        }
        for (std::size_t j = 0; j < count; ++j) {
            C[static_cast<vDSP_Stride>(first + j) * IC] = sums[j];
        }
    }
}
