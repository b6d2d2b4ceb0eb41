#include "audio/Id3TagInfo.h"

#include "audio/InputFile.h"
#include "platform/TextCoding.h"

#include <QFile>

#include <id3/misc_support.h>
#include <id3/tag.h>

#include <cstring>
#include <string>
#include <vector>

class Id3TagInfo::Tag : public ID3_Tag
{
};

namespace {

// Takes over a text id3lib allocated and decodes it.
QString TakeText(char* text)
{
    if (text == nullptr)
        return QString();
    QString decoded = GbkToQString(QByteArrayView(text));
    ID3_FreeString(text);
    return decoded;
}

std::string Gbk(const QString& text)
{
    std::string bytes;
    WideToGbk(bytes, text);
    // id3lib takes C texts: a NUL would end it early anyway.
    const size_t nul = bytes.find('\0');
    if (nul != std::string::npos)
        bytes.resize(nul);
    return bytes;
}

// The largest leading tag handed to id3lib, which reads it whole (bytes).
constexpr uint64_t kMaxTagSize = 64 * 1024 * 1024;

uint32_t BigEndian(const uint8_t* bytes, int count)
{
    uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | bytes[i];
    return value;
}

// Whether an ID3v2 tag at the file's start (if any) may be handed to id3lib,
// which trusts the sizes it finds: the header is well-formed, the tag lies
// inside the file, every frame lies inside the tag, and no frame is
// compressed or encrypted (id3lib allocates what a compressed frame claims).
// Sizes are read the way id3lib reads them: frame sizes big-endian.
bool LeadingTagIsSound(const CInputFile& file)
{
    uint8_t h[10];
    const size_t got = file.ReadAt(0, h, sizeof h);
    if (got < 3 || std::memcmp(h, "ID3", 3) != 0)
        return true; // no tag
    const int major = h[3];
    if (got < sizeof h || major < 2 || major > 4 || h[4] == 0xFF ||
        ((h[6] | h[7] | h[8] | h[9]) & 0x80) != 0)
        return false;
    const uint64_t size = uint64_t{h[6]} << 21 | uint64_t{h[7]} << 14 | uint64_t{h[8]} << 7 | h[9];
    if (size > kMaxTagSize || size > file.Size() - sizeof h)
        return false;
    std::vector<uint8_t> body(size);
    if (!file.ReadExactly(sizeof h, body.data(), body.size()))
        return false;
    const uint8_t flags = h[5];
    if (major == 2 && (flags & 0x40))
        return false;   // a compressed ID3v2.2 tag, never defined
    if (flags & 0x80) { // unsynchronised: frame sizes count the restored bytes
        std::vector<uint8_t> restored;
        restored.reserve(body.size());
        for (size_t i = 0; i < body.size(); ++i) {
            restored.push_back(body[i]);
            if (body[i] == 0xFF && i + 1 < body.size() && body[i + 1] == 0)
                ++i;
        }
        body.swap(restored);
    }

    size_t pos = 0;
    if (major >= 3 && (flags & 0x40)) { // extended header
        if (body.size() < 4)
            return false;
        const uint32_t extended = BigEndian(body.data(), 4);
        const uint64_t skip = major == 3 ? uint64_t{extended} + 4 : extended;
        if ((major == 3 && extended != 6 && extended != 10) || skip < 6 || skip > body.size())
            return false;
        pos = static_cast<size_t>(skip);
    }
    const size_t idLength = major == 2 ? 3 : 4;
    const size_t headLength = major == 2 ? 6 : 10;
    while (pos + headLength <= body.size()) {
        const uint8_t* frame = body.data() + pos;
        if (frame[0] == 0)
            break; // padding
        for (size_t i = 0; i < idLength; ++i) {
            const uint8_t c = frame[i];
            if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
                return false;
        }
        const uint64_t length = BigEndian(frame + idLength, major == 2 ? 3 : 4);
        if (length > body.size() - pos - headLength)
            return false;
        if (major >= 3) {
            const uint8_t format = frame[9];
            const uint8_t refused = major == 3 ? 0xC0 : 0x0C; // compression, encryption
            if (format & refused)
                return false;
        }
        pos += headLength + static_cast<size_t>(length);
    }
    return true;
}

} // namespace

Id3TagInfo::Id3TagInfo() : m_tag(std::make_unique<Tag>()) {}

Id3TagInfo::~Id3TagInfo() = default;

bool Id3TagInfo::Read(const QString& path, uint16_t kinds)
{
    m_tag->Clear();
    m_linked = false;
    m_album.clear();
    m_title.clear();
    m_artist.clear();
    m_comment.clear();
    m_year.clear();
    m_genre.clear();
    m_copyright.clear();
    // id3lib opens the path itself: refuse a FIFO or device before it blocks
    // or reads from one, and a tag it would mis-read.
    CInputFile file;
    if (!file.Open(path) || !LeadingTagIsSound(file))
        return false;
    m_tag->Link(QFile::encodeName(path).constData(), static_cast<flags_t>(kinds));
    m_linked = true;

    m_album = TakeText(ID3_GetAlbum(m_tag.get()));
    m_title = TakeText(ID3_GetTitle(m_tag.get()));
    m_artist = TakeText(ID3_GetArtist(m_tag.get()));
    m_comment = TakeText(ID3_GetComment(m_tag.get(), nullptr));
    m_year = TakeText(ID3_GetYear(m_tag.get()));
    m_genre = TakeText(ID3_GetGenre(m_tag.get()));
    if (const ID3_Frame* frame = m_tag->Find(ID3FID_COPYRIGHT))
        m_copyright = TakeText(ID3_GetString(frame, ID3FN_TEXT));
    return true;
}

void Id3TagInfo::SetAlbum(const QString& text)
{
    m_album = text;
    ID3_AddAlbum(m_tag.get(), Gbk(text).c_str(), true);
}

void Id3TagInfo::SetTitle(const QString& text)
{
    m_title = text;
    ID3_AddTitle(m_tag.get(), Gbk(text).c_str(), true);
}

void Id3TagInfo::SetArtist(const QString& text)
{
    m_artist = text;
    ID3_AddArtist(m_tag.get(), Gbk(text).c_str(), true);
}

void Id3TagInfo::SetComment(const QString& text)
{
    m_comment = text;
    // What ID3_AddComment(tag, text, true) does: replace the comments without
    // a description. Done here because id3lib's own removal deletes its frame
    // iterator through a base without a virtual destructor.
    const std::string bytes = Gbk(text);
    if (bytes.empty())
        return;
    while (ID3_Frame* old = m_tag->Find(ID3FID_COMMENT, ID3FN_DESCRIPTION, ""))
        delete m_tag->RemoveFrame(old);
    auto* frame = new ID3_Frame(ID3FID_COMMENT);
    frame->GetField(ID3FN_LANGUAGE)->Set("XXX");
    frame->GetField(ID3FN_DESCRIPTION)->Set("");
    frame->GetField(ID3FN_TEXT)->Set(bytes.c_str());
    m_tag->AttachFrame(frame);
}

void Id3TagInfo::SetYear(const QString& text)
{
    m_year = text;
    ID3_AddYear(m_tag.get(), Gbk(text).c_str(), true);
}

void Id3TagInfo::SetGenre(const QString& text)
{
    m_genre = text;
    ID3_AddGenre(m_tag.get(), Gbk(text).c_str(), true);
}

void Id3TagInfo::SetCopyright(const QString& text)
{
    if (text.isEmpty())
        return;
    m_copyright = text;
    while (ID3_Frame* old = m_tag->Find(ID3FID_COPYRIGHT))
        delete m_tag->RemoveFrame(old);
    auto* frame = new ID3_Frame(ID3FID_COPYRIGHT);
    frame->GetField(ID3FN_TEXT)->Set(Gbk(text).c_str());
    m_tag->AttachFrame(frame);
}

uint16_t Id3TagInfo::Update(uint16_t kinds)
{
    if (!m_linked)
        return 0;
    return static_cast<uint16_t>(m_tag->Update(static_cast<flags_t>(kinds)));
}
