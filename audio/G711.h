#pragma once

#include <cstdint>

// ITU-T G.711 expansion: one code byte to one signed 16-bit linear sample,
// as the standard's decoding tables give it. Thread-safe (fixed tables).
int16_t AlawToLinear(uint8_t code);
int16_t MulawToLinear(uint8_t code);
