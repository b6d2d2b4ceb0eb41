// A WAV file read into a clip, then everything a clip goes through once it is
// on the timeline: peaks for drawing, conversion, mixing with another track
// and saving, with the saved file read back.
#include "audio/AudioSaver.h"
#include "audio/AudioTrack.h"
#include "audio/MappedTempFile.h"
#include "audio/Mixdown.h"
#include "audio/WaveDataReader.h"
#include "audio/WaveDoc.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/NullPlayer.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

using FuzzInput::Check;

namespace {

// Work per input stays small: conversions and mixes whose result would pass
// this many bytes are skipped (a slow input is not a finding).
constexpr uint64_t kMaxBytes = 1u << 20;

bool IsReadableFormat(const WaveFormat& f)
{
    return f.formatTag == kWaveFormatPcm && f.channels > 0 && f.samplesPerSec > 0 &&
           (f.bitsPerSample == 8 || f.bitsPerSample == 16) &&
           f.blockAlign == f.channels * (f.bitsPerSample / 8) &&
           f.avgBytesPerSec == uint64_t{f.blockAlign} * f.samplesPerSec;
}

uint64_t BytesFor(const WaveFormat& format, uint64_t ms)
{
    return uint64_t{format.avgBytesPerSec} * ms / 1000;
}

void DrawPeaks(const CWaveDoc& clip)
{
    const uint32_t duration = clip.GetDuration();
    for (int msPerPixel : {1, 13, 1000}) {
        const int columns = static_cast<int>(std::min<uint32_t>(duration / msPerPixel + 2, 64));
        clip.BuildPeaks(0, columns, msPerPixel);
        // The last columns, including some past the clip's end.
        const int last = static_cast<int>(std::min<uint32_t>(duration / msPerPixel, 1u << 20));
        clip.BuildPeaks(std::max(0, last - 4), 8, msPerPixel);
    }
}

std::vector<uint8_t> Samples(const CWaveDoc& clip)
{
    std::vector<uint8_t> bytes(clip.GetDataSize());
    Check(bytes.empty() || clip.GetStore()->ReadAt(0, bytes.data(), bytes.size()),
          "a store reads");
    return bytes;
}

// Converts the clip; the file it was read from, converted on its way in,
// gives the same clip.
void ConvertTo(const CWaveDoc& clip, const QString& path, const WaveFormat& target)
{
    if (BytesFor(target, clip.GetDuration() + 1) > kMaxBytes)
        return;
    std::unique_ptr<CWaveDoc> converted = clip.ConvertFormat(target);
    if (converted)
        Check(converted->IsSameFormat(target), "converted clip has the asked format");
    if (clip.GetFormat() == target)
        return; // read as it is, never converted
    WaveDataReader reader;
    Check(reader.Open(path) == WaveWalkStatus::kOk, "the block reader opens what a clip read");
    CWaveDoc direct(NullPlayers());
    const int read = direct.ReadConverted(reader, target);
    Check(read == (converted ? 1 : 0), "a file converts on its way in as its clip converts");
    if (converted)
        Check(direct.GetFormat() == converted->GetFormat() &&
                  Samples(direct) == Samples(*converted),
              "a file converted on its way in holds the converted clip");
}

// What a save writes must read back as it was.
void SaveAndReadBack(const CWaveDoc& mix, int saveType)
{
    SaveOptions options;
    options.saveType = saveType;
    options.outputPath = FuzzInput::Folder() + QStringLiteral("/saved.wav");
    const AudioSaver::Result saved = AudioSaver::Save(mix, options, FuzzInput::Folder(), nullptr);
    if (!saved.saved)
        return;
    CWaveDoc back(NullPlayers());
    Check(back.ReadWaveFile(saved.path, nullptr) == 1, "a saved file reads back");
    const WaveFormat expected = saveType == SaveOptions::kRingWav ? kRingFormat : mix.GetFormat();
    Check(back.GetFormat() == expected, "a saved file keeps its format");
    if (saveType == SaveOptions::kWav)
        Check(back.GetDataSize() == mix.GetDataSize(), "a saved file keeps its samples");
    FuzzInput::Remove(QStringLiteral("saved.wav"));
}

// The same bytes taken as a decoder's output (beside the store folder, so the
// file can become the store) give the clip the same format and samples.
void TakeAsDecoderOutput(const uint8_t* data, size_t size, const CWaveDoc& read)
{
    const QString path = QFileInfo(CMappedTempFile::StoreFolder()).path() +
                         QStringLiteral("/zuvo-fuzz-taken-%1.wav").arg(getpid());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
            static_cast<qint64>(size))
        abort();
    file.close();
    CWaveDoc taken(NullPlayers());
    Check(taken.TakeWaveFile(path) == 1, "a file that reads can be taken");
    QFile::remove(path);
    Check(taken.GetFormat() == read.GetFormat(), "a taken file has the format read");
    const uint32_t bytes = read.GetDataSize();
    Check(taken.GetDataSize() == bytes, "a taken file has the samples read");
    std::vector<uint8_t> a(bytes), b(bytes);
    Check(read.GetStore()->ReadAt(0, a.data(), bytes) &&
              taken.GetStore()->ReadAt(0, b.data(), bytes),
          "both stores read");
    Check(a == b, "a taken file holds the bytes read");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = FuzzInput::Write(data, size, QStringLiteral("input.wav"));
    auto clip = std::make_unique<CWaveDoc>(NullPlayers());
    if (!clip->ReadWaveFile(path, nullptr))
        return 0;
    if (!clip->HasData())
        return 0;
    const WaveFormat format = clip->GetFormat();
    Check(IsReadableFormat(format), "a clip with samples has a PCM format of its data");
    // A-law and mu-law double in size when expanded.
    Check(clip->GetDataSize() <= 2 * uint64_t{size}, "a clip holds no more than the file");

    TakeAsDecoderOutput(data, size, *clip);
    DrawPeaks(*clip);
    // Setting up a resampler is most of the time an input takes, so the last
    // byte picks which of the steps that convert again run.
    const uint8_t steps = data[size - 1];
    // The mix and the ring save convert to 16 bits; this covers 8.
    if (steps & 1)
        ConvertTo(*clip, path, MakePcmFormat(1, 22050, 8));

    // The clip on one track and a short project-format clip on another, as
    // a project holding both is mixed for saving.
    const uint32_t start = data[0] * 7u;
    clip->SetStart(start);
    auto other = std::make_unique<CWaveDoc>(NullPlayers());
    other->SetFormat(kProjectFormat);
    if (!other->CreateStore(kProjectFormat.avgBytesPerSec / 20))
        return 0;
    CAudioTrack first;
    CAudioTrack second;
    first.AddClip(std::move(clip));
    second.AddClip(std::move(other));
    const std::vector<CAudioTrack*> tracks = {&first, &second};
    const uint32_t length = std::max(first.GetLength(), second.GetLength());
    const WaveFormat& mixFormat =
        format.samplesPerSec > kProjectFormat.samplesPerSec ? format : kProjectFormat;
    if (BytesFor(mixFormat, length + 1) > kMaxBytes)
        return 0;
    std::unique_ptr<CWaveDoc> mix = Mixdown::All(tracks, length, nullptr);
    if (!mix)
        return 0;
    SaveAndReadBack(*mix, SaveOptions::kWav);
    if (steps & 2)
        SaveAndReadBack(*mix, SaveOptions::kRingWav);

    // A selection across the clip's start.
    const uint32_t from = start > 10 ? start - 10 : 0;
    if ((steps & 4) && BytesFor(kProjectFormat, length + 1) <= kMaxBytes)
        Mixdown::Selection(tracks, from, from + 50, nullptr);
    return 0;
}
