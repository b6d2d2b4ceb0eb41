// The MPEG frame walk and ID3v1 reading of CMP3Info, with the values it
// reports checked against what a frame header can hold.
#include "audio/MP3Info.h"
#include "fuzz/FuzzInput.h"

#include <cstdio>
#include <cstdlib>

using FuzzInput::Check;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzInput::KeepConvertersLoaded();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = FuzzInput::Write(data, size, QStringLiteral("input.mp3"));
    CMP3Info info;
    Check(info.Open(path) == 1, "a regular file opens");
    if (info.HasFrames()) {
        Check(info.GetFrameCount() > 0, "frames counted");
        Check(info.GetLayer() >= 0 && info.GetLayer() <= 3, "layer");
        Check(info.GetSampleRate() > 0 && info.GetSampleRate() <= 48000, "sample rate");
        Check(info.GetDuration() >= 0, "duration");
    }
    // Reopening the same object starts from nothing.
    const int32_t flags = info.GetFlags();
    const int64_t frames = info.GetFrameCount();
    info.Open(path);
    Check(info.GetFlags() == flags && info.GetFrameCount() == frames, "reopen gives the same");
    return 0;
}
