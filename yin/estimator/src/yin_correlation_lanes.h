// yin_correlation_lanes - the direct correlation with one lag per vector lane, shared by the
// instruction-set variants.  Each variant's file includes it and instantiates it with its own
// vector type, compiled for its own target; everything here has internal linkage, so no copy
// built for one instruction set can stand in for another's at link time.
//
// Bit-identical to yin_correlate_portable: every lane sums one lag's products in the portable
// routine's order (four interleaved partial sums over p mod 4, the leftover products from zero,
// then the partials in order), and a fused multiply-add of a product of two floats rounds exactly
// as the portable multiply and add do, since that product is exact in double.  Wider vectors
// change only which lags are summed side by side, never the order within one lag's sum.
#pragma once

#include <algorithm>
#include <cstddef>

#include "yin_correlation_kernels.h"

namespace {

// Products per lag between two widenings of the frame to double.  A multiple of 4, so that every
// chunk starts at partial sum 0; small enough that the scratch sits on the stack.
constexpr std::size_t kChunk = 256;

// Lags lag0 .. lag0 + Lanes::width * kGroups - 1, all of which must be below n.
//
// Widening the frame once per chunk into a stack array, instead of once per product, keeps the
// conversions off the critical path: each widened sample then serves kGroups vectors of lags.
template <class Lanes, std::size_t kGroups>
void correlate_block(const float *frame, float *acf, std::size_t n, std::size_t lag0) {
    using Vector = typename Lanes::Vector;
    constexpr std::size_t kWidth = Lanes::kWidth * kGroups;
    double shifted[kChunk + kWidth];  // frame[lag0 + p0 + i], widened
    double base[kChunk];              // frame[p0 + i], widened
    Vector partial[kGroups][4];
    for (auto &group : partial) {
        for (Vector &v : group) {
            v = Lanes::zero();
        }
    }
    const std::size_t blocked = n - n % 4;
    for (std::size_t p0 = 0; p0 < blocked; p0 += kChunk) {
        const std::size_t count = std::min(kChunk, blocked - p0);
        // The last sample read is frame[lag0 + kWidth - 1 + blocked - 1], at most frame[2n - 2].
        for (std::size_t i = 0; i < count + kWidth - 1; ++i) {
            shifted[i] = frame[lag0 + p0 + i];
        }
        for (std::size_t i = 0; i < count; ++i) {
            base[i] = frame[p0 + i];
        }
        for (std::size_t p = 0; p < count; p += 4) {
            // Fully unrolled, so that the partial sums live in registers.
#pragma GCC unroll 4
            for (std::size_t k = 0; k < 4; ++k) {
                const Vector x = Lanes::broadcast(base[p + k]);
#pragma GCC unroll 8
                for (std::size_t g = 0; g < kGroups; ++g) {
                    const Vector y = Lanes::load(shifted + g * Lanes::kWidth + p + k);
                    partial[g][k] = Lanes::fma(y, x, partial[g][k]);
                }
            }
        }
    }
    for (std::size_t g = 0; g < kGroups; ++g) {
        const std::size_t lag = lag0 + g * Lanes::kWidth;
        Vector sum = Lanes::zero();
        for (std::size_t p = blocked; p < n; ++p) {
            sum = Lanes::fma(Lanes::load_widened(frame + lag + p),
                             Lanes::broadcast(static_cast<double>(frame[p])), sum);
        }
        for (const Vector &part : partial[g]) {
            sum = Lanes::add(sum, part);
        }
        Lanes::store_narrowed(acf + lag, sum);
    }
}

template <class Lanes, std::size_t kGroups>
void correlate_lanes(const float *frame, float *acf, int n) {
    if (n <= 0) {
        return;
    }
    const auto count = static_cast<std::size_t>(n);
    std::size_t lag = 0;
    for (; lag + Lanes::kWidth * kGroups <= count; lag += Lanes::kWidth * kGroups) {
        correlate_block<Lanes, kGroups>(frame, acf, count, lag);
    }
    for (; lag + Lanes::kWidth <= count; lag += Lanes::kWidth) {
        correlate_block<Lanes, 1>(frame, acf, count, lag);
    }
    yin_correlate_portable_lags(frame, acf, count, lag);
}

}  // namespace
