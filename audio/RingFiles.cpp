#include "audio/RingFiles.h"

#include "audio/VoxWriter.h"
#include "audio/WmaFormatList.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <new>
#include <vector>

namespace RingFiles {

namespace {

// Bytes of PCM read and encoded at a time: a whole number of 16-bit sample
// pairs, so the split encodes exactly as one write would.
constexpr uint32_t kVoxBlock = 64 * 1024;

constexpr int64_t kTicksPerSecond = 10'000'000; // 100-ns units

} // namespace

std::unique_ptr<CWaveDoc> ToRingFileFormat(std::unique_ptr<CWaveDoc> mix,
                                           const CWmaFormatList& formats)
{
    if (!mix || mix->GetDataSize() == 0)
        return nullptr;
    const WaveFormatEx* entry = formats.FindByRate(mix->GetFormat().samplesPerSec);
    if (!entry)
        entry = formats.Highest();
    if (!entry)
        return nullptr;
    const WaveFormat target =
        MakePcmFormat(entry->channels, entry->samplesPerSec, entry->bitsPerSample);
    if (mix->IsSameFormat(target))
        return mix;
    return mix->ConvertFormat(target);
}

namespace {

// Hands out [offset, offset + count) of the samples, valid until the next
// call; null when that part cannot be had.
using BlockSource = std::function<const uint8_t*(uint32_t offset, uint32_t count)>;

// A clip's store, read one block at a time into a buffer of the source's.
// Reading, unlike a mapping, fails cleanly where the store's file lost
// bytes, and streams without a mapping made and torn down per block.
BlockSource ClipBlocks(const CMappedTempFile& store)
{
    auto buffer = std::make_shared<std::vector<uint8_t>>();
    return [&store, buffer](uint32_t offset, uint32_t count) -> const uint8_t* {
        try {
            if (buffer->size() < count)
                buffer->resize(count);
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        return store.ReadAt(offset, buffer->data(), count) ? buffer->data() : nullptr;
    };
}

BlockSource MemoryBlocks(const uint8_t* data)
{
    return [data](uint32_t offset, uint32_t) { return data + offset; };
}

int WriteVoxFrom(const QString& path, int bits, uint32_t size, const BlockSource& blocks)
{
    // The writer takes 16-bit samples or else 8-bit ones; without one whole
    // sample there is nothing to encode and no file is made.
    const uint32_t sampleBytes = bits == 16 ? 2 : 1;
    if (size < sampleBytes)
        return 0;
    VoxWriter writer;
    writer.SetFileName(path);
    if (writer.Open() != S_OK)
        return 0;
    for (uint32_t offset = 0; offset < size;) {
        const uint32_t count = std::min(kVoxBlock, size - offset);
        const uint8_t* block = blocks(offset, count);
        if (!block || writer.Write(bits, block, count) != S_OK)
            return 0; // the writer, not closed, drops the unfinished file
        offset += count;
    }
    return writer.Close() == S_OK ? 1 : 0;
}

HRESULT WriteRingFileFrom(const QString& path, const WaveFormat& pcm, uint32_t size,
                          const BlockSource& blocks, const WaveFormatEx* format,
                          CWmaWriter::SampleObserver observer)
{
    if (!format || size == 0 || pcm.formatTag != kWaveFormatPcm ||
        pcm.samplesPerSec != format->samplesPerSec || pcm.channels != format->channels ||
        pcm.bitsPerSample != format->bitsPerSample || pcm.avgBytesPerSec == 0)
        return E_FAIL;

    CWmaWriter writer;
    writer.SetSampleObserver(std::move(observer));
    if (HRESULT opened = writer.Open(*format); opened != S_OK)
        return opened;
    writer.SetFileName(path);
    if (HRESULT begun = writer.BeginWriting(); begun != S_OK)
        return begun;
    const uint32_t chunk = pcm.avgBytesPerSec; // one second
    int64_t time = 0;
    for (uint32_t offset = 0; offset < size; time += kTicksPerSecond) {
        const uint32_t count = std::min(chunk, size - offset);
        const uint8_t* block = blocks(offset, count);
        if (!block)
            return E_OUTOFMEMORY;
        if (HRESULT written = writer.WriteSample(block, time, count); written != S_OK)
            return written;
        offset += count;
    }
    return writer.EndWriting();
}

} // namespace

int WriteVox(const QString& path, const CWaveDoc& clip)
{
    const CMappedTempFile* store = clip.GetStore();
    if (!store)
        return 0;
    return WriteVoxFrom(path, clip.GetFormat().bitsPerSample, store->GetSize(),
                        ClipBlocks(*store));
}

int WriteVox(const QString& path, int bitsPerSample, const uint8_t* data, uint32_t size)
{
    if (!data)
        return 0;
    return WriteVoxFrom(path, bitsPerSample, size, MemoryBlocks(data));
}

HRESULT WriteRingFile(const QString& path, const CWaveDoc& clip, const WaveFormatEx* format,
                      CWmaWriter::SampleObserver observer)
{
    const CMappedTempFile* store = clip.GetStore();
    if (!store)
        return E_FAIL;
    return WriteRingFileFrom(path, clip.GetFormat(), store->GetSize(), ClipBlocks(*store), format,
                             std::move(observer));
}

HRESULT WriteRingFile(const QString& path, const WaveFormat& pcm, const uint8_t* data,
                      uint32_t size, const WaveFormatEx* format,
                      CWmaWriter::SampleObserver observer)
{
    if (!data)
        return E_FAIL;
    return WriteRingFileFrom(path, pcm, size, MemoryBlocks(data), format, std::move(observer));
}

} // namespace RingFiles
