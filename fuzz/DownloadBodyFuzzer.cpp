// The download body writer on any body cut into any pieces: a kept file holds
// exactly the bytes written, and a body that is not kept leaves no file.
#include "fuzz/FuzzInput.h"
#include "publish/DownloadBodyWriter.h"

#include <QFile>

#include <string>

using FuzzInput::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    // First byte: the size limit (0 none, else times 64 bytes) and whether to
    // finish; second: the piece length.
    const int64_t limit = (data[0] & 0x7F) * 64;
    const bool finish = (data[0] & 0x80) == 0;
    const size_t piece = data[1] + 1u;
    const char* body = reinterpret_cast<const char*>(data + 2);
    const size_t length = size - 2;

    const QString path = FuzzInput::Folder() + "/body";
    FuzzInput::Remove("body");
    const std::string local = QFile::encodeName(path).toStdString();
    bool wrote = true;
    bool kept = false;
    {
        CDownloadBodyWriter writer(local, limit);
        for (size_t at = 0; at < length && wrote; at += piece)
            wrote = writer.Write(body + at, std::min(piece, length - at));
        Check(wrote == (limit == 0 || static_cast<int64_t>(length) <= limit),
              "only the limit refuses a write");
        if (finish)
            kept = writer.Finish();
        Check(!kept || (wrote && length > 0), "only a whole non-empty body is kept");
    }
    Check(QFile::exists(path) == kept, "only a kept body leaves its file");
    if (kept) {
        QFile file(path);
        Check(file.open(QIODevice::ReadOnly), "the kept file opens");
        Check(file.readAll() == QByteArray(body, static_cast<qsizetype>(length)),
              "the kept file holds the body");
    }
    FuzzInput::Remove("body");
    return 0;
}
