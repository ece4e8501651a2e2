// vDSP_ctozD and vDSP_ztocD of the Accelerate stand-in: interleaved complex to split and back.
// The interleaved stride counts doubles, so 2 means consecutive pairs; the split stride counts
// elements.
#include "accelerate_vdsp.h"

void vDSP_ctozD(const DSPDoubleComplex *C, vDSP_Stride IC, const DSPDoubleSplitComplex *Z,
                vDSP_Stride IZ, vDSP_Length N) {
    const auto *c = reinterpret_cast<const double *>(C);
    for (vDSP_Length n = 0; n < N; ++n) {
        const auto i = static_cast<vDSP_Stride>(n);
        Z->realp[i * IZ] = c[i * IC];
        Z->imagp[i * IZ] = c[i * IC + 1];
    }
}

void vDSP_ztocD(const DSPDoubleSplitComplex *Z, vDSP_Stride IZ, DSPDoubleComplex *C, vDSP_Stride IC,
                vDSP_Length N) {
    auto *c = reinterpret_cast<double *>(C);
    for (vDSP_Length n = 0; n < N; ++n) {
        const auto i = static_cast<vDSP_Stride>(n);
        c[i * IC] = Z->realp[i * IZ];
        c[i * IC + 1] = Z->imagp[i * IZ];
    }
}
