// Kelvo's classification of a music file before it is opened: the ".mp3"
// path (ID3 tags, frame walk), the ".kox" name, and the content tests (Ogg,
// RIFF, the ASF object walk, frames with ID3v1), with the block checked.
#include "fuzz/FuzzInput.h"
#include "voice/SniffAudioFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void Sniff(const uint8_t* data, size_t size, const QString& name)
{
    const QString path = FuzzInput::Write(data, size, name);
    char info[kAudioFileInfoSize] = {};
    const SniffedAudioType type = SniffAudioFile(path, info);
    if (type < kSniffCannotOpen || type > kSniffOgg) {
        std::fprintf(stderr, "broken: type %d\n", type);
        std::abort();
    }
    for (size_t field : {kAudioInfoTitle, kAudioInfoArtist}) {
        if (std::memchr(info + field, 0, 128) == nullptr) {
            std::fprintf(stderr, "broken: information field at %zu not terminated\n", field);
            std::abort();
        }
    }
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
    Sniff(data, size, QStringLiteral("input.mp3"));
    Sniff(data, size, QStringLiteral("input.wma"));
    return 0;
}
