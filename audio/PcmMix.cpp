#include "audio/PcmMix.h"

#include <algorithm>
#include <cstring>

bool MixPcm(uint8_t* dest, const uint8_t* source, uint32_t count, int bitsPerSample)
{
    if (bitsPerSample == 16) {
        for (uint32_t i = 0; i + 2 <= count; i += 2) {
            int16_t a;
            int16_t b;
            std::memcpy(&a, dest + i, 2);
            std::memcpy(&b, source + i, 2);
            const int16_t sum = static_cast<int16_t>(std::clamp(a + b, -32768, 32767));
            std::memcpy(dest + i, &sum, 2);
        }
        return true;
    }
    if (bitsPerSample == 8) {
        for (uint32_t i = 0; i < count; ++i) {
            const int sum = (dest[i] - 128) + (source[i] - 128);
            dest[i] = static_cast<uint8_t>(std::clamp(sum, -128, 127) + 128);
        }
        return true;
    }
    return false;
}
