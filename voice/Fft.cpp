#include "voice/Fft.h"

#include <cmath>

namespace {

unsigned ReverseBits(unsigned index, unsigned bits)
{
    unsigned reversed = 0;
    for (unsigned i = 0; i < bits; ++i, index >>= 1)
        reversed = (reversed << 1) | (index & 1);
    return reversed;
}

} // namespace

bool FFT(unsigned n, bool inverse, const double* realIn, const double* imagIn, double* realOut,
         double* imagOut)
{
    if (!realIn || !realOut || !imagOut || n <= 1 || (n & (n - 1)) != 0)
        return false;
    unsigned bits = 0;
    while ((1u << bits) < n)
        ++bits;
    for (unsigned i = 0; i < n; ++i) {
        const unsigned j = ReverseBits(i, bits);
        realOut[j] = realIn[i];
        imagOut[j] = imagIn ? imagIn[i] : 0.0;
    }

    const double angle = inverse ? -2.0 * M_PI : 2.0 * M_PI;
    unsigned half = 1;
    for (unsigned block = 2; block <= n; block <<= 1) {
        const double delta = angle / block;
        const double sm2 = std::sin(-2 * delta);
        const double sm1 = std::sin(-delta);
        const double cm2 = std::cos(-2 * delta);
        const double cm1 = std::cos(-delta);
        const double w = 2 * cm1;
        for (unsigned i = 0; i < n; i += block) {
            // The twiddle factors of the block come from the three-term
            // recurrence instead of a sine and cosine per butterfly.
            double ar2 = cm2, ar1 = cm1, ai2 = sm2, ai1 = sm1;
            for (unsigned j = i; j < i + half; ++j) {
                const double ar0 = w * ar1 - ar2;
                ar2 = ar1;
                ar1 = ar0;
                const double ai0 = w * ai1 - ai2;
                ai2 = ai1;
                ai1 = ai0;
                const unsigned k = j + half;
                const double tr = ar0 * realOut[k] - ai0 * imagOut[k];
                const double ti = ar0 * imagOut[k] + ai0 * realOut[k];
                realOut[k] = realOut[j] - tr;
                imagOut[k] = imagOut[j] - ti;
                realOut[j] += tr;
                imagOut[j] += ti;
            }
        }
        half = block;
    }

    if (inverse) {
        for (unsigned i = 0; i < n; ++i) {
            realOut[i] /= n;
            imagOut[i] /= n;
        }
    }
    return true;
}
