#include "audio/WaveFileWalk.h"

#include "audio/WaveHeader.h"

#include <QFile>

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace {

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

WaveFormat ParseFormat(const uint8_t* record)
{
    WaveFormat format;
    format.formatTag = LoadU16(record);
    format.channels = LoadU16(record + 2);
    format.samplesPerSec = LoadU32(record + 4);
    format.avgBytesPerSec = LoadU32(record + 8);
    format.blockAlign = LoadU16(record + 12);
    format.bitsPerSample = LoadU16(record + 14);
    return format;
}

struct ChunkHeader
{
    char id[4];
    uint32_t size;
};

// Reads the 8-byte chunk header at position; false when fewer than 8 bytes
// of the file are left there.
bool ReadChunkHeader(int fd, uint64_t position, uint64_t length, ChunkHeader& chunk)
{
    uint8_t bytes[8];
    if (length - position < 8 || !ReadAllAt(fd, position, bytes, 8))
        return false;
    std::memcpy(chunk.id, bytes, 4);
    chunk.size = LoadU32(bytes + 4);
    return true;
}

bool IsChunk(const ChunkHeader& chunk, const char* id)
{
    return std::memcmp(chunk.id, id, 4) == 0;
}

} // namespace

bool IsConsistentWaveFormat(const WaveFormat& format)
{
    const uint16_t tag = format.formatTag;
    if (tag != kWaveFormatPcm && tag != kWaveFormatAlaw && tag != kWaveFormatMulaw)
        return true;
    if (format.channels == 0 || format.samplesPerSec == 0)
        return false;
    const bool bitsOk = tag == kWaveFormatPcm
                            ? format.bitsPerSample == 8 || format.bitsPerSample == 16
                            : format.bitsPerSample == 8; // one G.711 code per byte
    if (!bitsOk)
        return false;
    const uint64_t blockAlign = uint64_t{format.channels} * (format.bitsPerSample / 8);
    return format.blockAlign == blockAlign &&
           format.avgBytesPerSec == blockAlign * format.samplesPerSec;
}

WaveWalkStatus WalkWaveFile(const QString& path, const WaveDataHandler& onData,
                            std::optional<WaveFormat>* formatWithoutData)
{
    if (formatWithoutData)
        formatWithoutData->reset();
    // Non-blocking open so that a FIFO does not wait for a writer; anything
    // but a regular file is refused before a byte is read.
    const QByteArray native = QFile::encodeName(path);
    const FileDescriptor file(
        open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.Get() < 0)
        return WaveWalkStatus::kCannotOpen;
    struct stat info = {};
    if (fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode))
        return WaveWalkStatus::kCannotOpen;
    const int fd = file.Get();
    const uint64_t length = static_cast<uint64_t>(info.st_size);

    uint8_t header[12];
    if (!ReadAllAt(fd, 0, header, 4) || std::memcmp(header, "RIFF", 4) != 0)
        return WaveWalkStatus::kNotRiff;
    // The RIFF size is not used: the file's own length bounds the walk.
    if (!ReadAllAt(fd, 4, header + 4, 8) || std::memcmp(header + 8, "WAVE", 4) != 0)
        return WaveWalkStatus::kRefused;

    // Positions are 64-bit and every step moves at least one chunk header on,
    // so no declared size can wrap the walk or keep it going past the end.
    // Sizes are used as they stand (no padding to even lengths).
    uint64_t position = 12;
    ChunkHeader chunk;
    bool sawFormat = false;
    bool sawData = false;
    WaveFormat format;
    while (position < length && ReadChunkHeader(fd, position, length, chunk)) {
        if (!IsChunk(chunk, "fmt ")) {
            position += 8 + uint64_t{chunk.size};
            continue;
        }
        // The record is read as 16 bytes whatever the declared size; extra
        // bytes of an extended record are skipped with the chunk.
        uint8_t record[kWaveFormatRecordSize];
        if (chunk.size < kWaveFormatRecordSize ||
            !ReadAllAt(fd, position + 8, record, sizeof record))
            return WaveWalkStatus::kRefused;
        format = ParseFormat(record);
        if (!IsConsistentWaveFormat(format))
            return WaveWalkStatus::kRefused;
        sawFormat = true;
        position += 8 + uint64_t{chunk.size};

        // Only the first "data" chunk after each "fmt " chunk is handed over;
        // a later pair replaces an earlier one.
        while (position < length && ReadChunkHeader(fd, position, length, chunk)) {
            if (!IsChunk(chunk, "data")) {
                position += 8 + uint64_t{chunk.size};
                continue;
            }
            const uint64_t present = length - (position + 8);
            const uint32_t size = static_cast<uint32_t>(std::min<uint64_t>(chunk.size, present));
            if (!onData(format, fd, position + 8, size))
                return WaveWalkStatus::kRefused;
            sawData = true;
            position += 8 + uint64_t{size};
            break;
        }
    }
    if (sawFormat && !sawData && formatWithoutData)
        *formatWithoutData = format;
    return WaveWalkStatus::kOk;
}
