#pragma once

#include "audio/WaveFormat.h"

#include <cstdint>

// ITU-T G.711 expansion: one code byte to one signed 16-bit linear sample,
// as the standard's decoding tables give it. Thread-safe (fixed tables).
int16_t AlawToLinear(uint8_t code);
int16_t MulawToLinear(uint8_t code);

// The 16-bit PCM format that expanding an A-law or mu-law format gives; false
// for other tags or when the expanded format no longer fits its fields.
bool ExpandedG711Format(const WaveFormat& coded, WaveFormat& expanded);

// Expands count codes of the given tag into count 16-bit samples (2 x count
// bytes at samples).
void ExpandG711(uint16_t tag, const uint8_t* codes, uint64_t count, uint8_t* samples);
