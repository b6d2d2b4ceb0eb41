#pragma once

#include "audio/WaveFormat.h"

#include <cstddef>
#include <cstdint>

// The canonical WAV header: RIFF header, 16-byte "fmt " chunk, "data" header.
constexpr uint32_t kWaveHeaderSize = 44;       // bytes
constexpr uint32_t kWaveRiffSizeOffset = 4;    // the RIFF length field
constexpr uint32_t kWaveDataSizeOffset = 40;   // the "data" length field
constexpr uint32_t kWaveFormatRecordSize = 16; // bytes of the "fmt " record

// Little-endian fields, whatever the host's order.
uint16_t LoadU16(const uint8_t* bytes);
uint32_t LoadU32(const uint8_t* bytes);
void StoreU16(uint8_t* bytes, uint16_t value);
void StoreU32(uint8_t* bytes, uint32_t value);

// Fills header with the 44 bytes of a WAV file holding dataSize bytes of
// format; the RIFF length is dataSize + 36, so the caller keeps dataSize
// within UINT32_MAX - 36.
void FillWaveHeader(uint8_t* header, const WaveFormat& format, uint32_t dataSize);

// Reads exactly count bytes at offset; false on an error or when the file
// ends first. Does not move the file offset.
bool ReadAllAt(int fd, uint64_t offset, void* buffer, uint64_t count);

// Writes all count bytes at offset, retrying short writes; false on any error
// (a full disk, a file size limit), even after part of them went in. On false
// errno says why (EIO when the system wrote nothing without naming an error).
// Does not move the file offset.
bool WriteAllAt(int fd, uint64_t offset, const void* data, size_t count);
