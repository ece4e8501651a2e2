// centroid_frame.h - the spectral centroid of one frame, for any host's glue.
//
// Contract: centroid_of_frame(n, samplerate, weight) treats k = 0 .. n-1 as the bins of the lower
// half of a 2n-point frame and returns F = scale * (sum k*w(k)) / (sum w(k)) with
// scale = samplerate / (2n), the width of one bin in Hz.  `weight(k)` gives w(k) as a double.
// The sums run in bin order in plain double arithmetic and the quotient is formed before the
// scale is applied; a total weight of exactly zero gives +0.0, nothing else is guarded, so NaN and
// inf pass through.  n <= 0 gives +0.0.  No state, no allocation, no host call: safe on any audio
// thread.  Whoever includes it compiles with -ffp-contract=off (the library centroid_frame
// carries the option), so that no multiply-add is fused and every build gives the same bits.
#pragma once

namespace morv {

template <class Weight>
double centroid_of_frame(long n, double samplerate, Weight weight) {
    if (n <= 0) {
        return 0.0;
    }
    // 2.0 * n is exact for any frame a host can hand over (n < 2^52), and cannot overflow
    // the way the integer 2n could.
    const double scale = samplerate / (2.0 * static_cast<double>(n));
    double weighted = 0.0;
    double total = 0.0;
    for (long k = 0; k < n; ++k) {
        const double w = weight(k);
        total += w;
        weighted += static_cast<double>(k) * w;
    }
    // Only an exact zero is guarded: NaN compares unequal and passes into the result.
    return (total == 0.0) ? 0.0 : (weighted / total) * scale;
}

// The two weights the objects offer: a bin's power from its real and imaginary parts, or the
// value of an amplitude input as it stands (sign kept).  Samples of either precision are widened
// to double before anything is computed.
template <class Sample>
auto power_weight(const Sample *re, const Sample *im) {
    return [re, im](long k) {
        const double x = re[k];
        const double y = im[k];
        return x * x + y * y;
    };
}

template <class Sample>
auto amplitude_weight(const Sample *amplitude) {
    return [amplitude](long k) { return static_cast<double>(amplitude[k]); };
}

}  // namespace morv
