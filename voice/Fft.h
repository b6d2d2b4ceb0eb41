#pragma once

// Radix-2 discrete Fourier transform of n points (n a power of two):
// out[k] = sum x[j] e^(+2 pi i jk / n) forward, the same with -i divided by n
// inverse. The exponent's sign is the opposite of the common convention;
// magnitudes, all the spectrum uses, are the same either way. imagIn may be null (all zero).
// False, writing nothing, when an output or the real input is null, n <= 1 or n is not a power of
// two. Inputs and outputs must not overlap. Any thread.
bool FFT(unsigned n, bool inverse, const double* realIn, const double* imagIn, double* realOut,
         double* imagOut);
