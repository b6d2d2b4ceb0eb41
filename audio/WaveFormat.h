#pragma once

#include <cstdint>

// The 16-byte PCM format record of a WAV "fmt " chunk.
struct WaveFormat
{
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;  // Hz
    uint32_t avgBytesPerSec = 0; // bytes per second
    uint16_t blockAlign = 0;     // bytes per sample frame
    uint16_t bitsPerSample = 0;

    bool operator==(const WaveFormat& other) const
    {
        return formatTag == other.formatTag && channels == other.channels &&
               samplesPerSec == other.samplesPerSec && avgBytesPerSec == other.avgBytesPerSec &&
               blockAlign == other.blockAlign && bitsPerSample == other.bitsPerSample;
    }
    bool operator!=(const WaveFormat& other) const { return !(*this == other); }
    // Same channels, rate and bits: samples of one read as samples of the other.
    bool HasSameShape(const WaveFormat& other) const
    {
        return channels == other.channels && samplesPerSec == other.samplesPerSec &&
               bitsPerSample == other.bitsPerSample;
    }
};

// The extended record handed to the sound output; extraSize is kept as the
// engine sets it and carries no extra bytes.
struct WaveFormatEx : WaveFormat
{
    uint16_t extraSize = 0;
};

constexpr uint16_t kWaveFormatPcm = 1;
constexpr uint16_t kWaveFormatAlaw = 6;
constexpr uint16_t kWaveFormatMulaw = 7;

// Linear PCM of the given shape with the derived rate and alignment filled in.
constexpr WaveFormat MakePcmFormat(uint16_t channels, uint32_t rate, uint16_t bits)
{
    WaveFormat f;
    f.formatTag = kWaveFormatPcm;
    f.channels = channels;
    f.samplesPerSec = rate;
    f.blockAlign = static_cast<uint16_t>(channels * (bits / 8));
    f.avgBytesPerSec = rate * f.blockAlign;
    f.bitsPerSample = bits;
    return f;
}

// 44100 Hz, 2 channels, 16 bits: the format of projects and recordings.
constexpr WaveFormat kProjectFormat = MakePcmFormat(2, 44100, 16);
// 8000 Hz, 1 channel, 16 bits: what the ring encoders take.
constexpr WaveFormat kRingFormat = MakePcmFormat(1, 8000, 16);
