// A WAV file read into one of Kelvo's in-memory tracks, then what the editor
// does with a track: its length, byte ranges and playback reads. Conversion is
// shared with the clips and fed by fuzz_wave_clip (a resampler per input here
// would slow this target to a few runs a second).
#include "fuzz/FuzzInput.h"
#include "voice/WaveData.h"

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
    }
    FuzzInput::Remove(QStringLiteral("input.wav"));
    return 0;
}
