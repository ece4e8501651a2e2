// yinutils - the YIN lag estimator and the Hann window utility.
//
// yin_calculate_lag finds the fundamental period of one frame of single-precision samples: a
// difference function built from the autocorrelation and the running energies of the shifted
// window, normalised by its cumulative mean; every dip refined by a parabola; the first dip within
// `threshold` of the deepest one chosen.  It reads frame[0 .. 2*max_lag - 2], writes acf[0 ..
// max_lag - 1] (acf[0] is the frame's energy, which callers read back) and *aperiodicity, and
// nothing else.  It allocates nothing and keeps no state, so it is safe in the audio thread and
// re-entrant across instances.
#pragma once

struct yin_fft_correlation;

// Returns the period in samples, fractional; max_lag, with *aperiodicity 1.0, when the frame has
// no usable dip.  A max_lag below 4 only correlates and returns that default; below 1 nothing is
// read and only *aperiodicity is written.  With an FFT plan (yin_correlation_fft.h) that serves
// max_lag, long windows are correlated through the FFT, to that path's accuracy standard.
double yin_calculate_lag(const float *frame, float *acf, int max_lag, double threshold,
                         double max_aperiodicity, double *aperiodicity,
                         yin_fft_correlation *plan = nullptr);

// The cumulative-mean-normalised difference of the same frame, for callers that weigh every lag
// themselves: normalised[tau] = d(tau) * tau / (d(1) + .. + d(tau)) for tau = 1 .. max_lag - 1,
// from the same correlation and energies as yin_calculate_lag, and normalised[0] = 1 (also where
// the running sum is not positive, as in silence).  Writes acf as yin_calculate_lag does and
// normalised[0 .. max_lag - 1]; nothing for a max_lag below 1.
void yin_normalised_difference(const float *frame, float *acf, int max_lag, double *normalised,
                               yin_fft_correlation *plan = nullptr);

// A periodic Hann window of n floats from malloc (the caller frees it); null for negative n.
float *hanning_window(int n);
