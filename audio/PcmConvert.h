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

// Copies length bytes of the source from byte offset into buffer; false when
// they cannot be had.
using PcmSourceReader = std::function<bool(uint64_t offset, void* buffer, uint64_t length)>;

// Where the converted samples go: called once with the most bytes the result
// can take; returns zeroed memory of that size to write them to, or null to
// give up.
using PcmOutputAllocator = std::function<uint8_t*(uint64_t bytes)>;

// Converts the whole frames of the source (sourceBytes long, in format from,
// read through read in blocks) to the rate, channels and 8 or 16 bits of
// target with libresample, one resampler per channel. Stereo to mono weighs
// the left channel twice the right; 16-bit output is held within +-32000.
// The samples are those of one resampler call per channel over the whole
// source. With cutToBlockAlign the produced frame count is cut to a multiple
// of the target's block alignment, as stored tracks have always been.
// *outBytes gets the size of the result. false when the formats cannot be
// converted, the source could not be read or allocate gave up.
bool ConvertPcm(const PcmSourceReader& read, uint64_t sourceBytes, const WaveFormat& from,
                const WaveFormat& target, bool cutToBlockAlign, const PcmOutputAllocator& allocate,
                uint64_t* outBytes);
// The same over source bytes in memory.
bool ConvertPcm(const uint8_t* source, uint64_t sourceBytes, const WaveFormat& from,
                const WaveFormat& target, bool cutToBlockAlign, const PcmOutputAllocator& allocate,
                uint64_t* outBytes);
