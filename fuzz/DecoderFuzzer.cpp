// The FFmpeg decoder wrapper: an MP3 or ASF stream decoded into a WAV file,
// which must then read as a clip.
#include "audio/WaveDoc.h"
#include "audio/WmaToWavConverter.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/NullPlayer.h"

#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first byte picks the name: the converter must go by content alone.
    const QString name = size > 0 && (data[0] & 1) ? QStringLiteral("input.wma")
                                                   : QStringLiteral("input.mp3");
    const QString source = FuzzInput::Write(data, size, name);
    const QString target = FuzzInput::Folder() + QStringLiteral("/decoded.wav");
    WmaToWavConverter converter;
    const HRESULT result = converter.Convert(source, target);
    // Decoding straight into a clip must give what the WAV file holds.
    CWaveDoc direct(NullPlayers());
    const HRESULT directResult = WmaToWavConverter().ConvertToClip(source, direct);
    if ((directResult == S_OK) != (result == S_OK)) {
        std::fprintf(stderr, "broken: decoding into a clip and into a file disagree\n");
        std::abort();
    }
    if (result == S_OK) {
        CWaveDoc clip(NullPlayers());
        if (clip.ReadWaveFile(target, nullptr) != 1) {
            std::fprintf(stderr, "broken: a converted file does not read as a clip\n");
            std::abort();
        }
        const uint32_t size = clip.GetDataSize();
        if (direct.GetDataSize() != size || !(direct.GetFormat() == clip.GetFormat()) ||
            (size > 0 && std::memcmp(direct.GetStore()->MapView(0, size).data(),
                                     clip.GetStore()->MapView(0, size).data(), size) != 0)) {
            std::fprintf(stderr, "broken: the clip's samples are not the file's\n");
            std::abort();
        }
        // A limit one byte short of the audio refuses it as too long and
        // leaves no file.
        if (size > 0) {
            const QString limited = FuzzInput::Folder() + QStringLiteral("/limited.wav");
            if (WmaToWavConverter().Convert(source, limited, size - 1) !=
                    WmaToWavConverter::kTooLong ||
                QFile::exists(limited)) {
                std::fprintf(stderr, "broken: audio past the limit was not refused\n");
                std::abort();
            }
        }
    } else if (direct.GetStore()) {
        std::fprintf(stderr, "broken: a failed decoding left samples in the clip\n");
        std::abort();
    } else if (QFile::exists(target)) {
        std::fprintf(stderr, "broken: a failed conversion left a file\n");
        std::abort();
    }
    FuzzInput::Remove(QStringLiteral("decoded.wav"));
    return 0;
}
