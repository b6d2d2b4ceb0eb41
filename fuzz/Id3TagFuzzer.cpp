// ID3 tags read through Id3TagInfo (our check, then id3lib), and the edits a
// user makes to an opened file's tags written back and read again.
#include "audio/Id3TagInfo.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzInput::KeepConvertersLoaded();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = FuzzInput::Write(data, size, QStringLiteral("input.mp3"));
    {
        Id3TagInfo tags;
        if (!tags.Read(path))
            return 0;
        // Every text lookup, and the lookups the setters make before they
        // replace a frame.
        (void)tags.GetAlbum();
        if (size == 0 || (data[size - 1] & 1) == 0)
            return 0;
        tags.SetTitle(QStringLiteral("标题"));
        tags.SetComment(QStringLiteral("comment"));
        tags.SetCopyright(QStringLiteral("(c)"));
        tags.SetGenre(QStringLiteral("Pop"));
        tags.Update();
    }
    Id3TagInfo again;
    again.Read(path);
    return 0;
}
