#include "audio/WaveHeader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

uint16_t LoadU16(const uint8_t* bytes)
{
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

uint32_t LoadU32(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

void StoreU16(uint8_t* bytes, uint16_t value)
{
    bytes[0] = static_cast<uint8_t>(value);
    bytes[1] = static_cast<uint8_t>(value >> 8);
}

void StoreU32(uint8_t* bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

void FillWaveHeader(uint8_t* header, const WaveFormat& format, uint32_t dataSize)
{
    std::memcpy(header, "RIFF", 4);
    StoreU32(header + kWaveRiffSizeOffset, dataSize + kWaveHeaderSize - 8);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    StoreU32(header + 16, kWaveFormatRecordSize);
    StoreU16(header + 20, format.formatTag);
    StoreU16(header + 22, format.channels);
    StoreU32(header + 24, format.samplesPerSec);
    StoreU32(header + 28, format.avgBytesPerSec);
    StoreU16(header + 32, format.blockAlign);
    StoreU16(header + 34, format.bitsPerSample);
    std::memcpy(header + 36, "data", 4);
    StoreU32(header + kWaveDataSizeOffset, dataSize);
}

bool ReadAllAt(int fd, uint64_t offset, void* buffer, uint64_t count)
{
    auto* out = static_cast<uint8_t*>(buffer);
    while (count > 0) {
        const size_t chunk = static_cast<size_t>(std::min<uint64_t>(count, 1u << 30));
        const ssize_t got = pread(fd, out, chunk, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        out += got;
        offset += static_cast<uint64_t>(got);
        count -= static_cast<uint64_t>(got);
    }
    return true;
}

bool WriteAllAt(int fd, uint64_t offset, const void* data, size_t count)
{
    const auto* in = static_cast<const uint8_t*>(data);
    while (count > 0) {
        const ssize_t done = pwrite(fd, in, count, static_cast<off_t>(offset));
        if (done < 0 && errno == EINTR)
            continue;
        if (done == 0)
            errno = EIO;
        if (done <= 0)
            return false;
        in += done;
        offset += static_cast<uint64_t>(done);
        count -= static_cast<size_t>(done);
    }
    return true;
}
