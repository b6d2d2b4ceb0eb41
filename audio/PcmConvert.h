#pragma once

#include "audio/WaveFormat.h"

#include <cstdint>
#include <functional>

// The resampler helpers every conversion shares.
// Room added to the input and output buffers, and to the expected output.
constexpr int64_t kBufferSlack = 100;
constexpr int64_t kOutputSlack = 1000;
// libresample sizes its internal buffers in int from the factor bounds;
// beyond these ratios they overflow.
constexpr double kMinFactor = 1.0 / 65536;
constexpr double kMaxFactor = 65536.0;

// Channel 0's input value of one source frame of 8 or 16 bits; under
// monoReduction the mix of both channels.
float FirstChannelInput(const uint8_t* frame, int bits, bool monoReduction);
// Channel 1's input value of one stereo source frame.
float SecondChannelInput(const uint8_t* frame, int bits);
// One resampled value into its slot of an output frame. 16-bit output is held
// within +-32000; 8-bit output is held within 0..255.
void StorePcmOutput(uint8_t* slot, int bits, float y);

// Where the converted samples go: called once with the size of the result in
// bytes; returns the zeroed memory to write them to, or null to give up.
using PcmOutputAllocator = std::function<uint8_t*(uint64_t bytes)>;

// Converts the whole frames of source (sourceBytes long, in format from) to the
// rate, channels and 8 or 16 bits of target with libresample, one channel at a
// time. Stereo to mono weighs the left channel twice the right; 16-bit output
// is held within +-32000. With cutToBlockAlign the produced frame count is cut
// to a multiple of the target's block alignment, as stored tracks have always
// been. false when the formats cannot be converted or allocate gave up.
bool ConvertPcm(const uint8_t* source, uint64_t sourceBytes, const WaveFormat& from,
                const WaveFormat& target, bool cutToBlockAlign,
                const PcmOutputAllocator& allocate);
