#pragma once

#include "audio/WaveFormat.h"

#include <cstdint>
#include <functional>

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
