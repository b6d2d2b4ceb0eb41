#include "audio/G711.h"
#include "audio/WaveDoc.h"
#include "audio/WaveHeader.h"
#include "platform/IMessageSink.h"

#include <QFile>
#include <QSaveFile>
#include <QString>

#include <algorithm>
#include <cstring>
#include <vector>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kNotWaveMessage[] = "this file is not wave file!";
// Bytes mapped and written at a time: large enough that mapping costs
// nothing beside the write, small enough to keep the address space free.
constexpr uint32_t kWriteBlock = 4 * 1024 * 1024;

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

// Copies count bytes of the file from offset into the start of store. Whole
// pages written into the store's file need no zero-filling first, as pages
// faulted into a mapping of it do.
bool CopyIntoStore(int fd, uint64_t offset, CMappedTempFile& store, uint32_t count)
{
    std::vector<uint8_t> buffer(std::min<uint32_t>(count, kWriteBlock));
    for (uint32_t done = 0; done < count;) {
        const uint32_t chunk = std::min<uint32_t>(kWriteBlock, count - done);
        if (!ReadAllAt(fd, offset + done, buffer.data(), chunk) ||
            !store.WriteAt(done, buffer.data(), chunk))
            return false;
        done += chunk;
    }
    return true;
}

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

// Whether a PCM, A-law or mu-law record describes samples that can be read
// as it says. Other tags pass here and are refused when their data arrives.
bool IsConsistentFormat(const WaveFormat& format)
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

int CWaveDoc::ReadWaveFile(const QString& path, IMessageSink* messages)
{
    // Whatever fails, the clip is left without samples.
    const auto fail = [this] {
        FreeStore();
        return 0;
    };

    // Non-blocking open so that a FIFO does not wait for a writer; anything
    // but a regular file is refused before a byte is read.
    const QByteArray native = QFile::encodeName(path);
    const FileDescriptor file(
        open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.Get() < 0)
        return fail();
    struct stat info = {};
    if (fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode))
        return fail();
    const int fd = file.Get();
    const uint64_t length = static_cast<uint64_t>(info.st_size);

    uint8_t header[12];
    if (!ReadAllAt(fd, 0, header, 4) || std::memcmp(header, "RIFF", 4) != 0) {
        if (messages)
            messages->ShowMessage(QString::fromLatin1(kNotWaveMessage));
        return fail();
    }
    // The RIFF size is not used: the file's own length bounds the walk.
    if (!ReadAllAt(fd, 4, header + 4, 8) || std::memcmp(header + 8, "WAVE", 4) != 0)
        return fail();

    // Positions are 64-bit and every step moves at least one chunk header on,
    // so no declared size can wrap the walk or keep it going past the end.
    // Sizes are used as they stand (no padding to even lengths).
    uint64_t position = 12;
    ChunkHeader chunk;
    // A format is taken together with the data it describes, so a "fmt "
    // chunk without data behind it never relabels samples read before it.
    bool sawFormat = false;
    bool readData = false;
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
            return fail();
        format = ParseFormat(record);
        if (!IsConsistentFormat(format))
            return fail();
        sawFormat = true;
        position += 8 + uint64_t{chunk.size};

        // Only the first "data" chunk after each "fmt " chunk is read; a later
        // pair replaces an earlier one.
        while (position < length && ReadChunkHeader(fd, position, length, chunk)) {
            if (!IsChunk(chunk, "data")) {
                position += 8 + uint64_t{chunk.size};
                continue;
            }
            const uint64_t present = length - (position + 8);
            const uint32_t size = static_cast<uint32_t>(std::min<uint64_t>(chunk.size, present));
            SetFormat(format);
            if (!CreateStore(size))
                return fail();
            if (size > 0 && !CopyIntoStore(fd, position + 8, *m_store, size))
                return fail();
            if (!NormaliseSampleFormat())
                return fail();
            readData = true;
            position += 8 + uint64_t{size};
            break;
        }
    }
    // A file with a format and no data at all gives a clip with that format
    // and no samples, as long as it is a format the clip can hold.
    if (sawFormat && !readData) {
        FreeStore();
        SetFormat(format);
        if (!NormaliseSampleFormat())
            return fail();
    }
    return 1;
}

int CWaveDoc::NormaliseSampleFormat()
{
    const uint16_t tag = m_format.formatTag;
    if (tag == kWaveFormatPcm)
        return 1;
    if (tag != kWaveFormatAlaw && tag != kWaveFormatMulaw)
        return 0;

    WaveFormat expanded = m_format;
    expanded.formatTag = kWaveFormatPcm;
    expanded.bitsPerSample = 16;
    const uint64_t blockAlign = uint64_t{m_format.channels} * 2;
    const uint64_t byteRate = blockAlign * m_format.samplesPerSec;
    const uint64_t size = uint64_t{GetDataSize()} * 2;
    // The 16-bit format and store must still fit their fields.
    if (blockAlign == 0 || blockAlign > UINT16_MAX || byteRate > UINT32_MAX || size > UINT32_MAX)
        return 0;
    expanded.blockAlign = static_cast<uint16_t>(blockAlign);
    expanded.avgBytesPerSec = static_cast<uint32_t>(byteRate);

    std::unique_ptr<CMappedTempFile> store;
    if (m_store) {
        store = CMappedTempFile::Create(static_cast<uint32_t>(size));
        if (!store)
            return 0;
        if (size > 0) {
            const CMappedView codes = m_store->MapView(0, m_store->GetSize());
            const CMappedView samples = store->MapView(0, size);
            if (!codes || !samples)
                return 0;
            int16_t (*expand)(uint8_t) = tag == kWaveFormatAlaw ? AlawToLinear : MulawToLinear;
            for (uint64_t i = 0; i < codes.size(); ++i) {
                const int16_t value = expand(codes.data()[i]);
                std::memcpy(samples.data() + 2 * i, &value, 2);
            }
        }
    }
    SetFormat(expanded);
    FreeStore();
    m_store = std::move(store);
    return 1;
}

int CWaveDoc::WriteWaveFile(const QString& path) const
{
    const uint32_t size = GetDataSize();
    // A RIFF file cannot describe more than 4 GiB - 1 in its length field.
    if (size == 0 || size > UINT32_MAX - (kWaveHeaderSize - 8))
        return 0;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return 0;

    uint8_t header[kWaveHeaderSize];
    FillWaveHeader(header, m_format, size);
    if (file.write(reinterpret_cast<const char*>(header), kWaveHeaderSize) != kWaveHeaderSize)
        return 0;

    for (uint32_t offset = 0; offset < size; offset += kWriteBlock) {
        const uint32_t count = std::min(kWriteBlock, size - offset);
        const CMappedView block = m_store->MapView(offset, count);
        if (!block || file.write(reinterpret_cast<const char*>(block.data()), count) != count)
            return 0;
    }
    return file.commit() ? 1 : 0;
}
