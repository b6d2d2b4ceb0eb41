#include "audio/G711.h"

#include <array>
#include <cstring>

namespace {

// A-law: even bits are inverted on the line; the code is sign, a 3-bit
// segment and a 4-bit step. Decoded values are the middle of each step.
constexpr int16_t ExpandAlaw(uint8_t code)
{
    const int bits = code ^ 0x55;
    const int segment = (bits >> 4) & 0x07;
    int magnitude = (bits & 0x0F) << 4;
    if (segment == 0)
        magnitude += 8;
    else
        magnitude = (magnitude + 0x108) << (segment - 1);
    return static_cast<int16_t>((bits & 0x80) ? magnitude : -magnitude);
}

// mu-law: all bits are inverted on the line; the magnitude carries a bias of
// 132 that is taken off after the shift.
constexpr int16_t ExpandMulaw(uint8_t code)
{
    const int bits = static_cast<uint8_t>(~code);
    const int segment = (bits >> 4) & 0x07;
    const int magnitude = ((((bits & 0x0F) << 3) + 0x84) << segment) - 0x84;
    return static_cast<int16_t>((bits & 0x80) ? -magnitude : magnitude);
}

template <int16_t (*Expand)(uint8_t)> constexpr std::array<int16_t, 256> MakeTable()
{
    std::array<int16_t, 256> table{};
    for (int code = 0; code < 256; ++code)
        table[code] = Expand(static_cast<uint8_t>(code));
    return table;
}

constexpr std::array<int16_t, 256> kAlawTable = MakeTable<ExpandAlaw>();
constexpr std::array<int16_t, 256> kMulawTable = MakeTable<ExpandMulaw>();

static_assert(kAlawTable[0x00] == -5504 && kAlawTable[0x80] == 5504);
static_assert(kMulawTable[0x00] == -32124 && kMulawTable[0xFF] == 0);

} // namespace

int16_t AlawToLinear(uint8_t code)
{
    return kAlawTable[code];
}

int16_t MulawToLinear(uint8_t code)
{
    return kMulawTable[code];
}

bool ExpandedG711Format(const WaveFormat& coded, WaveFormat& expanded)
{
    if (coded.formatTag != kWaveFormatAlaw && coded.formatTag != kWaveFormatMulaw)
        return false;
    const uint64_t blockAlign = uint64_t{coded.channels} * 2;
    const uint64_t byteRate = blockAlign * coded.samplesPerSec;
    if (blockAlign == 0 || blockAlign > UINT16_MAX || byteRate > UINT32_MAX)
        return false;
    expanded = coded;
    expanded.formatTag = kWaveFormatPcm;
    expanded.bitsPerSample = 16;
    expanded.blockAlign = static_cast<uint16_t>(blockAlign);
    expanded.avgBytesPerSec = static_cast<uint32_t>(byteRate);
    return true;
}

void ExpandG711(uint16_t tag, const uint8_t* codes, uint64_t count, uint8_t* samples)
{
    int16_t (*expand)(uint8_t) = tag == kWaveFormatAlaw ? AlawToLinear : MulawToLinear;
    for (uint64_t i = 0; i < count; ++i) {
        const int16_t value = expand(codes[i]);
        std::memcpy(samples + 2 * i, &value, 2);
    }
}
