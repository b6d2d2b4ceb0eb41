#pragma once

#include "audio/WaveDoc.h"

#include <QByteArray>

#include <cmath>
#include <complex>
#include <cstring>
#include <memory>
#include <vector>

// Sine clips for the encoders and the measures their decoded output is
// judged by.
namespace ToneFixtures {

// A 16-bit mono clip of a sine tone.
inline std::unique_ptr<CWaveDoc> ToneClip(uint32_t rate, double seconds, double hz = 1000,
                                          double amplitude = 16000)
{
    auto clip = std::make_unique<CWaveDoc>();
    clip->SetFormat(MakePcmFormat(1, rate, 16));
    const auto frames = static_cast<uint32_t>(std::lround(rate * seconds));
    if (!clip->CreateStore(frames * 2))
        return nullptr;
    CMappedView view = clip->GetStore()->MapView(0, frames * 2);
    for (uint32_t i = 0; i < frames; ++i) {
        const auto value =
            static_cast<int16_t>(std::lround(amplitude * std::sin(2 * M_PI * hz * i / rate)));
        std::memcpy(view.data() + 2 * i, &value, 2);
    }
    return clip;
}

inline std::vector<double> Samples(const QByteArray& s16le)
{
    std::vector<double> samples(s16le.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        int16_t value;
        std::memcpy(&value, s16le.constData() + 2 * i, 2);
        samples[i] = value;
    }
    return samples;
}

// The frequency (Hz) of the strongest bin of a Hann-windowed FFT over the
// first power-of-two block of samples, refined by a parabola through its
// neighbours.
inline double PeakFrequency(const std::vector<double>& samples, double rate)
{
    size_t n = 1;
    while (n * 2 <= samples.size())
        n *= 2;
    std::vector<std::complex<double>> bins(n);
    for (size_t i = 0; i < n; ++i)
        bins[i] = samples[i] * (0.5 - 0.5 * std::cos(2 * M_PI * i / (n - 1)));
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(bins[i], bins[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> w = std::polar(1.0, -2 * M_PI / len);
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> wk = 1;
            for (size_t k = 0; k < len / 2; ++k, wk *= w) {
                const auto even = bins[i + k];
                const auto odd = bins[i + k + len / 2] * wk;
                bins[i + k] = even + odd;
                bins[i + k + len / 2] = even - odd;
            }
        }
    }
    size_t peak = 1;
    for (size_t k = 1; k < n / 2; ++k) {
        if (std::abs(bins[k]) > std::abs(bins[peak]))
            peak = k;
    }
    const double a = std::abs(bins[peak - 1]), b = std::abs(bins[peak]),
                 c = std::abs(bins[peak + 1]);
    const double shift = (a - c) / (2 * (a - 2 * b + c));
    return (peak + (std::isfinite(shift) ? shift : 0)) * rate / n;
}

// Signal-to-noise ratio (dB) of a tone: the best-fitting sine of that
// frequency (amplitude, phase and offset by least squares) against what is
// left. The first and last tenth are left out (encoder start-up and end).
inline double ToneSnr(const std::vector<double>& samples, double rate, double hz)
{
    const size_t from = samples.size() / 10, to = samples.size() - samples.size() / 10;
    double m[3][3] = {}, v[3] = {};
    for (size_t i = from; i < to; ++i) {
        const double basis[3] = {std::cos(2 * M_PI * hz * i / rate),
                                 std::sin(2 * M_PI * hz * i / rate), 1};
        for (int r = 0; r < 3; ++r) {
            v[r] += basis[r] * samples[i];
            for (int c = 0; c < 3; ++c)
                m[r][c] += basis[r] * basis[c];
        }
    }
    // Cramer's rule on the 3x3 normal equations.
    const auto det = [](double a[3][3]) {
        return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
               a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
               a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    };
    const double d = det(m);
    double coef[3];
    for (int k = 0; k < 3; ++k) {
        double mk[3][3];
        std::memcpy(mk, m, sizeof mk);
        for (int r = 0; r < 3; ++r)
            mk[r][k] = v[r];
        coef[k] = det(mk) / d;
    }
    double signal = 0, noise = 0;
    for (size_t i = from; i < to; ++i) {
        const double fit = coef[0] * std::cos(2 * M_PI * hz * i / rate) +
                           coef[1] * std::sin(2 * M_PI * hz * i / rate) + coef[2];
        signal += fit * fit;
        noise += (samples[i] - fit) * (samples[i] - fit);
    }
    return 10 * std::log10(signal / std::max(noise, 1e-9));
}

} // namespace ToneFixtures
