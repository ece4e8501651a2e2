// The portable autocorrelation: every lag's sum accumulated in double, rounded once to float.
//
// A product of two floats is exact in double, so the only roundings are those of the double
// additions, each far below a float ulp of the total; the final conversion therefore gives the
// correctly rounded sum except when the double sum lands within a few double ulps of a float
// rounding boundary.
#include "yin_correlation.h"
#include "yin_correlation_kernels.h"

namespace {

// Each lag's products are added into four interleaved partial sums (p mod 4) that are combined at
// the end.  The partial sums are independent, so the compiler puts them in vector lanes without
// reassociating anything itself (which it may not do for floating point); the order of every
// addition is fixed here, so the result does not depend on the compiler or the vector width.  The
// vector variants follow exactly this order, lane by lane.
constexpr std::size_t kPartialSums = 4;

}  // namespace

float yin_correlate_portable_lag(const float *frame, std::size_t lag, std::size_t n) {
    const float *shifted = frame + lag;
    double partial[kPartialSums] = {};
    std::size_t p = 0;
    for (; p + kPartialSums <= n; p += kPartialSums) {
        for (std::size_t k = 0; k < kPartialSums; ++k) {
            partial[k] += static_cast<double>(shifted[p + k]) * static_cast<double>(frame[p + k]);
        }
    }
    double sum = 0.0;
    for (; p < n; ++p) {
        sum += static_cast<double>(shifted[p]) * static_cast<double>(frame[p]);
    }
    for (double part : partial) {
        sum += part;
    }
    return static_cast<float>(sum);
}

void yin_correlate_portable_lags(const float *frame, float *acf, std::size_t n,
                                 std::size_t first_lag) {
    for (std::size_t lag = first_lag; lag < n; ++lag) {
        acf[lag] = yin_correlate_portable_lag(frame, lag, n);
    }
}

void yin_correlate_portable(const float *frame, float *acf, int n) {
    if (n > 0) {
        yin_correlate_portable_lags(frame, acf, static_cast<std::size_t>(n), 0);
    }
}
