#include "audio/G711.h"
#include "audio/WaveDoc.h"
#include "audio/WaveFileWalk.h"
#include "audio/WaveHeader.h"
#include "platform/IMessageSink.h"

#include <QFile>
#include <QSaveFile>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace {

constexpr char kNotWaveMessage[] = "this file is not wave file!";
// Bytes mapped and written at a time: large enough that mapping costs
// nothing beside the write, small enough to keep the address space free.
constexpr uint32_t kWriteBlock = 4 * 1024 * 1024;

// Copies count bytes of the file from offset into the start of a new store.
// Whole pages written into the store's file need no zero-filling first, as
// pages faulted into a mapping of it do. The holes of a sparse file read as
// zeros, as the new store does already: they are passed over, not copied.
bool CopyIntoStore(int fd, uint64_t offset, CMappedTempFile& store, uint32_t count)
{
    std::vector<uint8_t> buffer(std::min<uint32_t>(count, kWriteBlock));
    for (uint32_t done = 0; done < count;) {
        const off_t at = static_cast<off_t>(offset + done);
        const off_t data = lseek(fd, at, SEEK_DATA);
        if (data < 0 && errno == ENXIO)
            break; // nothing but a hole up to the end of the file
        if (data > at) {
            done += static_cast<uint32_t>(std::min<uint64_t>(data - at, count - done));
            continue;
        }
        const uint32_t chunk = std::min<uint32_t>(kWriteBlock, count - done);
        if (!ReadAllAt(fd, offset + done, buffer.data(), chunk) ||
            !store.WriteAt(done, buffer.data(), chunk))
            return false;
        done += chunk;
    }
    return true;
}

} // namespace

int CWaveDoc::ReadWaveFile(const QString& path, IMessageSink* messages)
{
    // Whatever fails, the clip is left without samples.
    const auto fail = [this] {
        FreeStore();
        return 0;
    };

    // A format is taken together with the data it describes, so a "fmt "
    // chunk without data behind it never relabels samples read before it.
    const auto readData = [this](const WaveFormat& format, int fd, uint64_t offset,
                                 uint32_t size) {
        SetFormat(format);
        if (!CreateStore(size))
            return false;
        if (size > 0 && !CopyIntoStore(fd, offset, *m_store, size))
            return false;
        return NormaliseSampleFormat() != 0;
    };
    std::optional<WaveFormat> formatOnly;
    const WaveWalkStatus status = WalkWaveFile(path, readData, &formatOnly);
    if (status == WaveWalkStatus::kNotRiff && messages)
        messages->ShowMessage(QString::fromLatin1(kNotWaveMessage));
    if (status != WaveWalkStatus::kOk)
        return fail();
    // A file with a format and no data at all gives a clip with that format
    // and no samples, as long as it is a format the clip can hold.
    if (formatOnly) {
        FreeStore();
        SetFormat(*formatOnly);
        if (!NormaliseSampleFormat())
            return fail();
    }
    return 1;
}

int CWaveDoc::TakeWaveFile(const QString& path)
{
    // Where the samples lie; the last data chunk wins, as in ReadWaveFile.
    struct Data
    {
        WaveFormat format;
        uint64_t offset = 0;
        uint32_t size = 0;
    };
    std::optional<Data> data;
    const auto noteData = [&data](const WaveFormat& format, int, uint64_t offset, uint32_t size) {
        data = Data{format, offset, size};
        return true;
    };
    std::optional<WaveFormat> formatOnly;
    if (WalkWaveFile(path, noteData, &formatOnly) == WaveWalkStatus::kOk && data && !formatOnly &&
        data->format.formatTag == kWaveFormatPcm && data->size > 0) {
        if (auto store = CMappedTempFile::Adopt(path, data->offset, data->size)) {
            AdoptStore(data->format, std::move(store));
            return 1;
        }
    }
    return ReadWaveFile(path, nullptr);
}

int CWaveDoc::NormaliseSampleFormat()
{
    const uint16_t tag = m_format.formatTag;
    if (tag == kWaveFormatPcm)
        return 1;
    if (tag != kWaveFormatAlaw && tag != kWaveFormatMulaw)
        return 0;

    WaveFormat expanded;
    const uint64_t size = uint64_t{GetDataSize()} * 2;
    // The 16-bit format and store must still fit their fields.
    if (!ExpandedG711Format(m_format, expanded) || size > UINT32_MAX)
        return 0;

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
            ExpandG711(tag, codes.data(), codes.size(), samples.data());
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
