#include "audio/RingFiles.h"

#include "audio/VoxWriter.h"
#include "audio/WmaFormatList.h"

#include <algorithm>

namespace RingFiles {

namespace {

// Bytes of PCM mapped and encoded at a time: a whole number of 16-bit
// sample pairs, so the split encodes exactly as one write would.
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

int WriteVox(const QString& path, const CWaveDoc& clip)
{
    const CMappedTempFile* store = clip.GetStore();
    const int bits = clip.GetFormat().bitsPerSample;
    // The writer takes 16-bit samples or else 8-bit ones; without one whole
    // sample there is nothing to encode and no file is made.
    const uint32_t sampleBytes = bits == 16 ? 2 : 1;
    if (!store || store->GetSize() < sampleBytes)
        return 0;
    VoxWriter writer;
    writer.SetFileName(path);
    if (writer.Open() != S_OK)
        return 0;
    const uint32_t size = store->GetSize();
    for (uint32_t offset = 0; offset < size;) {
        const uint32_t count = std::min(kVoxBlock, size - offset);
        const CMappedView block = store->MapView(offset, count);
        if (!block || writer.Write(bits, block.data(), count) != S_OK)
            return 0; // the writer drops the unfinished file
        offset += count;
    }
    return writer.Close() == S_OK ? 1 : 0;
}

HRESULT WriteRingFile(const QString& path, const CWaveDoc& clip, const WaveFormatEx* format,
                      CWmaWriter::SampleObserver observer)
{
    const CMappedTempFile* store = clip.GetStore();
    const WaveFormat& pcm = clip.GetFormat();
    if (!format || !store || store->GetSize() == 0 || pcm.formatTag != kWaveFormatPcm ||
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
    const uint32_t size = store->GetSize();
    const uint32_t chunk = pcm.avgBytesPerSec; // one second
    int64_t time = 0;
    for (uint32_t offset = 0; offset < size; time += kTicksPerSecond) {
        const uint32_t count = std::min(chunk, size - offset);
        const CMappedView block = store->MapView(offset, count);
        if (!block)
            return E_OUTOFMEMORY;
        if (HRESULT written = writer.WriteSample(block.data(), time, count); written != S_OK)
            return written;
        offset += count;
    }
    return writer.EndWriting();
}

} // namespace RingFiles
