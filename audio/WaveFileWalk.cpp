#include "audio/WaveFileWalk.h"

#include "audio/WaveHeader.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

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

// Reads the chunk headers of one file through a window of its bytes, so that
// a walk over many small chunks (a tail of zeros is a chain of empty chunks
// with no name) costs a read per window, not one per header.
class ChunkReader
{
public:
    static constexpr size_t kWindow = 64 * 1024; // bytes

    ChunkReader(int fd, uint64_t length) : m_fd(fd), m_length(length), m_bytes(kWindow) {}

    // The 8-byte chunk header at position; false when fewer than 8 bytes of
    // the file are left there or the read fails.
    bool Header(uint64_t position, ChunkHeader& chunk)
    {
        const uint8_t* bytes = At(position, 8);
        if (bytes == nullptr)
            return false;
        std::memcpy(chunk.id, bytes, 4);
        chunk.size = LoadU32(bytes + 4);
        return true;
    }

    // Where the run of all-zero chunk headers from position ends: each of
    // them is an empty chunk the walk would step over, 8 bytes at a time.
    // Only whole headers inside the file are passed.
    uint64_t PassZeroHeaders(uint64_t position)
    {
        for (;;) {
            // A hole of a sparse file is zeros: passed without reading it.
            if (position >= m_start + m_count && position < m_length) {
                const off_t data = lseek(m_fd, static_cast<off_t>(position), SEEK_DATA);
                const uint64_t end = data < 0 ? (errno == ENXIO ? m_length : position)
                                              : std::min<uint64_t>(data, m_length);
                if (end > position)
                    position += (end - position) / 8 * 8;
            }
            const uint8_t* bytes = At(position, 8);
            if (bytes == nullptr)
                return position;
            const size_t have = static_cast<size_t>(m_start + m_count - position);
            size_t zeros = 0;
            while (zeros + 8 <= have && LoadU64(bytes + zeros) == 0)
                zeros += 8;
            position += zeros;
            if (zeros + 8 <= have)
                return position; // a header with a byte set
        }
    }

    // Copies count bytes at position; false when the file ends first.
    bool Read(uint64_t position, uint8_t* target, size_t count)
    {
        const uint8_t* bytes = At(position, count);
        if (bytes == nullptr)
            return false;
        std::memcpy(target, bytes, count);
        return true;
    }

private:
    static uint64_t LoadU64(const uint8_t* bytes)
    {
        uint64_t value;
        std::memcpy(&value, bytes, sizeof value);
        return value;
    }

    // count (at most the window) bytes at position from the window, read
    // anew from position when they are not all in it.
    const uint8_t* At(uint64_t position, size_t count)
    {
        if (position > m_length || m_length - position < count)
            return nullptr;
        if (position < m_start || position + count > m_start + m_count) {
            const uint64_t want = std::min<uint64_t>(m_bytes.size(), m_length - position);
            const ssize_t got = pread(m_fd, m_bytes.data(), static_cast<size_t>(want),
                                      static_cast<off_t>(position));
            m_start = position;
            m_count = got > 0 ? static_cast<size_t>(got) : 0;
            if (m_count < count)
                return nullptr;
        }
        return m_bytes.data() + (position - m_start);
    }

    int m_fd;
    uint64_t m_length;
    std::vector<uint8_t> m_bytes;
    uint64_t m_start = 0; // file offset of m_bytes[0]
    size_t m_count = 0;   // bytes of the window that hold the file
};

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
    ChunkReader reader(fd, length);
    uint64_t position = 12;
    ChunkHeader chunk;
    bool sawFormat = false;
    bool sawData = false;
    WaveFormat format;
    // The first data chunk met before any format record, for a file that
    // puts its samples before their format and has no data behind it.
    struct EarlyData
    {
        uint64_t offset;
        uint32_t size;
    };
    std::optional<EarlyData> early;
    const auto dataSize = [length](uint64_t at, uint32_t declared) {
        return static_cast<uint32_t>(std::min<uint64_t>(declared, length - (at + 8)));
    };
    while (position < length && reader.Header(position, chunk)) {
        if (!IsChunk(chunk, "fmt ")) {
            if (IsChunk(chunk, "data") && !sawFormat && !early)
                early = EarlyData{position + 8, dataSize(position, chunk.size)};
            position += 8 + uint64_t{chunk.size};
            if (chunk.size == 0)
                position = reader.PassZeroHeaders(position);
            continue;
        }
        // The record is read as 16 bytes whatever the declared size; extra
        // bytes of an extended record are skipped with the chunk.
        uint8_t record[kWaveFormatRecordSize];
        if (chunk.size < kWaveFormatRecordSize ||
            !reader.Read(position + 8, record, sizeof record))
            return WaveWalkStatus::kRefused;
        format = ParseFormat(record);
        if (!IsConsistentWaveFormat(format))
            return WaveWalkStatus::kRefused;
        sawFormat = true;
        position += 8 + uint64_t{chunk.size};

        // Only the first "data" chunk after each "fmt " chunk is handed over;
        // a later pair replaces an earlier one.
        while (position < length && reader.Header(position, chunk)) {
            if (!IsChunk(chunk, "data")) {
                position += 8 + uint64_t{chunk.size};
                if (chunk.size == 0)
                    position = reader.PassZeroHeaders(position);
                continue;
            }
            const uint32_t size = dataSize(position, chunk.size);
            if (!onData(format, fd, position + 8, size))
                return WaveWalkStatus::kRefused;
            sawData = true;
            position += 8 + uint64_t{size};
            break;
        }
    }
    // Samples that came before their format record are read with it when
    // no data chunk follows any record.
    if (sawFormat && !sawData && early) {
        if (!onData(format, fd, early->offset, early->size))
            return WaveWalkStatus::kRefused;
        sawData = true;
    }
    if (sawFormat && !sawData && formatWithoutData)
        *formatWithoutData = format;
    return WaveWalkStatus::kOk;
}
