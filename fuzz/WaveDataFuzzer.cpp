// A WAV file read into one of Kelvo's in-memory tracks, then what the editor
// does with a track: its length, byte ranges and playback reads. The block
// reader that conversions read files through must find the same samples.
// Conversion is shared with the clips and fed by fuzz_wave_clip (a resampler
// per input here would slow this target to a few runs a second).
#include "audio/WaveDataReader.h"
#include "fuzz/FuzzInput.h"
#include "voice/WaveData.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

void Check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = FuzzInput::Write(data, size, QStringLiteral("input.wav"));
    WaveData track;
    const int result = track.ReadWaveFile(path);
    Check(result == 0 || result == 1, "result");
    if (result == 1 && track.HasData()) {
        const WaveFormat& f = track.GetFormat();
        Check(f.formatTag == kWaveFormatPcm, "tag after reading");
        Check(f.bitsPerSample == 8 || f.bitsPerSample == 16, "bits after reading");
        Check(track.GetSize() <= size * 2, "size beyond the file");
        const uint32_t length = track.GetLengthMs();
        Check(track.MsToBytes(length) <= uint64_t{track.GetSize()} + f.blockAlign + 1000,
              "length rule");
        std::vector<uint8_t> out(4096);
        uint32_t got = 0;
        uint64_t total = 0;
        while (track.Read(out.data(), static_cast<uint32_t>(out.size()), &got) == 0 && got > 0)
            total += got;
        Check(total == track.GetSize(), "read everything once");

        WaveDataReader reader;
        Check(reader.Open(path, WaveData::kMaxSampleBytes) == WaveWalkStatus::kOk,
              "the block reader opens what the track read");
        Check(reader.HasData() && reader.GetFormat() == f && reader.GetSize() == track.GetSize(),
              "the block reader finds the track's samples");
        // In two reads split at a frame, as a conversion's blocks split them.
        const uint64_t bytes = reader.GetSize();
        const uint64_t split = f.blockAlign ? bytes / 2 / f.blockAlign * f.blockAlign : 0;
        std::vector<uint8_t> samples(bytes);
        Check(reader.ReadAt(0, samples.data(), split) &&
                  reader.ReadAt(split, samples.data() + split, bytes - split),
              "the block reader reads the samples");
        Check(bytes == 0 || std::equal(samples.begin(), samples.end(), track.GetData()),
              "the block reader reads the track's bytes");
        Check(!reader.ReadAt(bytes, samples.data(), 2), "no read past the samples");
    } else if (result == 0) {
        WaveDataReader reader;
        Check(reader.Open(path, WaveData::kMaxSampleBytes) != WaveWalkStatus::kOk,
              "the block reader refuses what the track refused");
    }
    FuzzInput::Remove(QStringLiteral("input.wav"));
    return 0;
}
