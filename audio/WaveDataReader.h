#pragma once

#include "audio/WaveFileWalk.h"
#include "audio/WaveFormat.h"

#include <QString>

#include <cstdint>
#include <optional>

// The samples a WAV reader takes from a file, read from the file itself in
// blocks instead of being copied whole first: the walk of both WAV readers
// picks the data chunk (the last "fmt "/"data" pair wins), and A-law and
// mu-law codes are expanded to 16-bit PCM as they are read. For conversions
// that read the file once on their way into the target format.
class WaveDataReader
{
public:
    WaveDataReader() = default;
    ~WaveDataReader();
    WaveDataReader(const WaveDataReader&) = delete;
    WaveDataReader& operator=(const WaveDataReader&) = delete;

    // Walks path as the WAV readers do, refusing what they refuse: tags
    // other than PCM, A-law and mu-law, and samples of more than maxBytes
    // (after expansion) in any data chunk.
    WaveWalkStatus Open(const QString& path, uint64_t maxBytes = UINT32_MAX);

    // A data chunk was found (perhaps an empty one).
    bool HasData() const { return m_fd >= 0; }
    // The samples' format: 16-bit PCM for A-law and mu-law files. Without
    // data, the last format record seen (expanded too), if any.
    const WaveFormat& GetFormat() const { return m_format; }
    bool HasFormat() const { return m_hasFormat; }
    // The samples' size in bytes, after expansion.
    uint64_t GetSize() const { return m_size; }

    // Copies [offset, offset + length) of the samples (after expansion);
    // false when the range does not lie inside them or the file cannot be
    // read there. Offsets and lengths of expanded samples are even.
    bool ReadAt(uint64_t offset, void* buffer, uint64_t length) const;

private:
    void Close();

    int m_fd = -1;
    WaveFormat m_format;
    bool m_hasFormat = false;
    uint16_t m_tag = 0;    // of the file: PCM, A-law or mu-law
    uint64_t m_offset = 0; // where the samples lie in the file
    uint64_t m_size = 0;
};
