// The ring container: the marker search over the head and the unpacking of
// the payload with the container's key.
#include "audio/RingFilePacker.h"
#include "fuzz/FuzzInput.h"

#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = FuzzInput::Write(data, size, QStringLiteral("input.ring"));
    RingFileHeader header;
    CRingFilePacker::InitHeader(header);
    const int64_t payload = CRingFilePacker::FindRingFileHeader(path, header);
    const QString target = FuzzInput::Folder() + QStringLiteral("/payload.bin");
    const int unpacked = CRingFilePacker::UnpackRingFile(path, target);
    // What is unpacked is the payload and no more.
    if (unpacked == 1 && (payload == 0 || QFileInfo(target).size() > static_cast<qint64>(size))) {
        std::fprintf(stderr, "broken: unpacked %lld bytes from %zu\n",
                     static_cast<long long>(QFileInfo(target).size()), size);
        std::abort();
    }
    FuzzInput::Remove(QStringLiteral("payload.bin"));
    return 0;
}
