#pragma once

#include <cstdint>

// Adds count bytes of source samples onto dest, sample by sample, saturating
// instead of wrapping: signed 16-bit samples within -32768..32767, unsigned
// 8-bit samples (128 is zero) within 0..255. A partial last sample is left
// alone. false, and nothing changed, for other sample sizes.
bool MixPcm(uint8_t* dest, const uint8_t* source, uint32_t count, int bitsPerSample);
