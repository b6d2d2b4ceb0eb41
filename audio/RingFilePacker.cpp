#include "audio/RingFilePacker.h"

#include "audio/InputFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uint8_t kMarker[8] = {0, 1, 2, 3, 4, 5, 6, 7};

bool WriteAll(int fd, const uint8_t* data, size_t length)
{
    while (length > 0) {
        const ssize_t n = write(fd, data, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        length -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace

void CRingFilePacker::InitHeader(RingFileHeader& header)
{
    std::memset(&header, 0, sizeof header);
    header.key = kDefaultKey;
    header.packed = 0;
    std::memcpy(header.marker, kMarker, sizeof kMarker);
}

int64_t CRingFilePacker::FindRingFileHeader(const QString& path, RingFileHeader& header)
{
    CInputFile file;
    if (!file.Open(path))
        return 0;
    uint8_t head[sizeof(RingFileHeader)];
    const size_t got = file.ReadAt(0, head, sizeof head);
    for (size_t p = kFirstMarkerPosition; p + sizeof kMarker <= got; ++p) {
        if (std::memcmp(head + p, kMarker, sizeof kMarker) == 0) {
            std::memcpy(&header, head, p);
            return static_cast<int64_t>(p + sizeof kMarker);
        }
    }
    return 0;
}

int CRingFilePacker::UnpackRingFile(const QString& source, const QString& target)
{
    RingFileHeader header;
    InitHeader(header);
    int64_t offset = FindRingFileHeader(source, header);
    if (offset == 0)
        return 0;
    CInputFile in;
    if (!in.Open(source))
        return 0;
    if (header.packed == 0)
        offset += 3;
    // A payload that would start at or past the end is a broken container.
    if (static_cast<uint64_t>(offset) >= in.Size())
        return 0;

    const QByteArray targetName = QFile::encodeName(target);
    const int out = open(targetName.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0)
        return 0;
    struct stat outInfo = {};
    const bool regularTarget = fstat(out, &outInfo) == 0 && S_ISREG(outInfo.st_mode);
    uint8_t block[4096];
    bool ok = true;
    for (uint64_t at = static_cast<uint64_t>(offset); at < in.Size();) {
        const size_t got = in.ReadAt(at, block, sizeof block);
        if (got == 0) {
            ok = false; // the file shrank or could not be read
            break;
        }
        for (size_t i = 0; i < got; ++i)
            block[i] ^= header.key;
        if (!WriteAll(out, block, got)) {
            ok = false;
            break;
        }
        at += got;
    }
    if (close(out) != 0)
        ok = false;
    if (!ok) {
        if (regularTarget)
            unlink(targetName.constData());
        return 0;
    }
    return 1;
}
