// yin_fft - real discrete Fourier transforms in double precision, for the FFT correlation.
//
// A plan transforms real sequences of one even length L.  A spectrum is packed into L/2 complex
// values: element 0 holds X[0] as its real part and X[L/2] as its imaginary part (both are real
// for a real sequence), element k = 1 .. L/2 - 1 holds X[k]; the other half follows from
// X[L - k] = conj(X[k]).  Neither direction scales:
//   forward  X[k] = sum over n < L of x[n] e^(-2 pi i k n / L)
//   inverse  x[n] = sum over k < L of X[k] e^(+2 pi i k n / L), so inverse(forward(x)) = L x.
// A plan owns all its scratch: making it allocates, transforming allocates nothing, so the
// transforms may run in the audio thread.  One backend is compiled in: kissfft's C++ template
// (yin_fft_kiss.cpp), or Accelerate's vDSP_fft_zripD on Apple (yin_fft_accelerate.cpp).
#pragma once

#include <complex>
#include <cstddef>

struct yin_fft;

// The least length of at least `at_least` that the backend transforms without allocating; 0 if
// there is none within its range.
std::size_t yin_fft_length(std::size_t at_least);

// A plan for `length`, which must come from yin_fft_length; null when memory runs out.
yin_fft *yin_fft_new(std::size_t length);
void yin_fft_free(yin_fft *plan);

// `in` holds L reals, `out` L/2 complex values; the two must not overlap.
void yin_fft_forward(yin_fft *plan, const double *in, std::complex<double> *out);
// `in` holds L/2 complex values, `out` L reals; the two must not overlap.
void yin_fft_inverse(yin_fft *plan, const std::complex<double> *in, double *out);
