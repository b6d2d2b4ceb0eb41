// Identification of a file by its content: the ".mp3" path (ID3 tags, frame
// walk with the ID3v2 skip) and the content path (ring check, Ogg, RIFF, the
// ASF object walk, frame walk with ID3v1), with the information block checked.
#include "audio/AudioFileType.h"
#include "fuzz/FuzzInput.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Each field of the block is NUL-terminated within its 128 bytes.
void CheckInfo(const char (&info)[kAudioFileInfoSize])
{
    for (size_t field : {kAudioInfoTitle, kAudioInfoArtist}) {
        if (std::memchr(info + field, 0, 128) == nullptr) {
            std::fprintf(stderr, "broken: information field at %zu not terminated\n", field);
            std::abort();
        }
    }
}

void Identify(const uint8_t* data, size_t size, const QString& name)
{
    const QString path = FuzzInput::Write(data, size, name);
    char info[kAudioFileInfoSize] = {};
    const AudioFileType type = IdentifyAudioFile(path, info);
    if (type < kAudioUnknown || type > kAudioMp3Unreadable) {
        std::fprintf(stderr, "broken: type %d\n", type);
        std::abort();
    }
    CheckInfo(info);
    FuzzInput::Remove(name);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzInput::KeepConvertersLoaded();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Identify(data, size, QStringLiteral("input.mp3"));
    Identify(data, size, QStringLiteral("input.bin"));
    return 0;
}
