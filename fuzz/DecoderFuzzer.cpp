// The FFmpeg decoder wrapper: an MP3 or ASF stream decoded into a WAV file,
// which must then read as a clip.
#include "audio/WaveDoc.h"
#include "audio/WmaToWavConverter.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/NullPlayer.h"

#include <QFile>

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first byte picks the name: the converter must go by content alone.
    const QString name = size > 0 && (data[0] & 1) ? QStringLiteral("input.wma")
                                                   : QStringLiteral("input.mp3");
    const QString source = FuzzInput::Write(data, size, name);
    const QString target = FuzzInput::Folder() + QStringLiteral("/decoded.wav");
    WmaToWavConverter converter;
    const HRESULT result = converter.Convert(source, target);
    if (result == S_OK) {
        CWaveDoc clip(NullPlayers());
        if (clip.ReadWaveFile(target, nullptr) != 1) {
            std::fprintf(stderr, "broken: a converted file does not read as a clip\n");
            std::abort();
        }
    } else if (QFile::exists(target)) {
        std::fprintf(stderr, "broken: a failed conversion left a file\n");
        std::abort();
    }
    FuzzInput::Remove(QStringLiteral("decoded.wav"));
    return 0;
}
