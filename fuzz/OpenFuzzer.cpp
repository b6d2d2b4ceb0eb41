// The open driver as a whole: identification, ring unpacking, decoding and
// the WAV read, as the timeline opens a file the user chose.
#include "audio/AudioFileLoader.h"
#include "fuzz/FuzzInput.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // As in the programs, where tools are looked for beside the executable.
    static QCoreApplication app(*argc, *argv);
    FuzzInput::KeepConvertersLoaded();
    // The Ogg decoder is an external program: starting one per input would
    // measure process start-up, not our code. Without it on PATH, Ogg inputs
    // take the "cannot start" path.
    setenv("PATH", "/nonexistent", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first byte picks the name, since an ".mp3" name is read differently.
    const QString name = size > 0 && (data[0] & 1) ? QStringLiteral("input.mp3")
                                                   : QStringLiteral("input.wav");
    const QString source = FuzzInput::Write(data, size, name);
    AudioFileLoader::Result result =
        AudioFileLoader::Load(source, FuzzInput::Folder(), 0, nullptr);
    // Success or a message: a failed open never goes unexplained.
    if (!result.clip && result.messages.isEmpty()) {
        std::fprintf(stderr, "broken: an open failed without a message\n");
        std::abort();
    }
    if (result.clip)
        (void)result.clip->GetDuration();
    return 0;
}
