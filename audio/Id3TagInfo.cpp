#include "audio/Id3TagInfo.h"

#include "audio/InputFile.h"
#include "audio/WmaToWavConverter.h"
#include "platform/TextCoding.h"

#include <QFile>

#include <id3/misc_support.h>
#include <id3/tag.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

class Id3TagInfo::Tag : public ID3_Tag
{
};

namespace {

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

// The most bytes of leading tags read and handed on.
constexpr uint64_t kMaxTagBytes = 64 * 1024 * 1024;
constexpr size_t kFirstRead = 4096; // bytes: most tags lie inside

enum TextSlot { kTitle, kArtist, kAlbum, kComment, kYear, kGenre, kCopyright };

uint32_t BigEndian(const uint8_t* bytes, int count)
{
    uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | bytes[i];
    return value;
}

// A 28-bit size in four 7-bit bytes; false when a byte has its top bit set.
bool SyncSafe(const uint8_t* bytes, uint32_t& value)
{
    if ((bytes[0] | bytes[1] | bytes[2] | bytes[3]) & 0x80)
        return false;
    value =
        uint32_t{bytes[0]} << 21 | uint32_t{bytes[1]} << 14 | uint32_t{bytes[2]} << 7 | bytes[3];
    return true;
}

bool IdIs(const uint8_t* id, size_t length, const char* name)
{
    return std::strlen(name) == length && std::memcmp(id, name, length) == 0;
}

bool IdIsOneOf(const uint8_t* id, size_t length, std::initializer_list<const char*> names)
{
    for (const char* name : names)
        if (IdIs(id, length, name))
            return true;
    return false;
}

// Frames whose data starts with a text-encoding byte, and of those the ones
// with a 3-byte language after it.
bool HasEncoding(const uint8_t* id, size_t length)
{
    return id[0] == 'T' ||
           IdIsOneOf(id, length,
                     {"COMM", "USLT", "WXXX", "APIC", "GEOB", "IPLS", "SYLT", "USER", "OWNE",
                      "COMR", "COM", "ULT", "WXX", "PIC", "GEO", "IPL", "SLT"});
}

bool HasLanguage(const uint8_t* id, size_t length)
{
    return IdIsOneOf(id, length, {"COMM", "USLT", "SYLT", "USER", "COM", "ULT", "SLT"});
}

int SlotOf(const uint8_t* id, size_t length)
{
    static const struct
    {
        const char* id;
        TextSlot slot;
    } kSlots[] = {{"TIT2", kTitle}, {"TPE1", kArtist}, {"TALB", kAlbum}, {"COMM", kComment},
                  {"TYER", kYear},  {"TDRC", kYear},   {"TCON", kGenre}, {"TCOP", kCopyright}};
    for (const auto& entry : kSlots)
        if (IdIs(id, length, entry.id))
            return entry.slot;
    return -1;
}

// Whether one tag (header h, size body bytes after it) holds only what both
// readers take without harm: defined flags only, at least one frame, every
// frame inside the tag with a valid id, no compressed, encrypted or grouped
// frame, text encodings the version defines, UTF-16 text in whole units, and
// nothing but zeros after the frames.
bool TagIsSound(const uint8_t* h, uint32_t size, Id3v2Walk& walk)
{
    const int major = h[3];
    const uint8_t flags = h[5];
    const uint8_t undefinedFlags = major == 2 ? 0x7F : major == 3 ? 0x1F : 0x0F;
    if (flags & undefinedFlags)
        return false; // for 2.2 that includes compression, which was never defined
    std::vector<uint8_t> body(h + 10, h + 10 + size);
    if (major <= 3 && (flags & 0x80)) { // unsynchronised: frame sizes count the restored bytes
        std::vector<uint8_t> restored;
        restored.reserve(body.size());
        for (size_t i = 0; i < body.size(); ++i) {
            restored.push_back(body[i]);
            if (body[i] == 0xFF && i + 1 < body.size() && body[i + 1] == 0)
                ++i;
        }
        body.swap(restored);
    }
    // Version 2.4 unsynchronises frame by frame: their bytes hold extra zeros.
    const bool frameBytesExact = major <= 3 || !(flags & 0x80);

    size_t pos = 0;
    if (major >= 3 && (flags & 0x40)) { // extended header
        if (body.size() < 6)
            return false;
        uint32_t extended = BigEndian(body.data(), 4);
        if (major == 4 && !SyncSafe(body.data(), extended))
            return false;
        const uint64_t skip = major == 3 ? uint64_t{extended} + 4 : extended;
        if ((major == 3 && extended != 6 && extended != 10) || skip < 6 || skip > body.size())
            return false;
        pos = static_cast<size_t>(skip);
    }
    const size_t idLength = major == 2 ? 3 : 4;
    const size_t headLength = major == 2 ? 6 : 10;
    const int maxEncoding = major == 4 ? 3 : 1;
    int frames = 0;
    while (pos + headLength <= body.size() && body[pos] != 0) {
        const uint8_t* frame = body.data() + pos;
        for (size_t i = 0; i < idLength; ++i) {
            const uint8_t c = frame[i];
            if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
                return false;
        }
        // id3lib's field list of the 2.2 compressed-data frame has no end.
        if (IdIs(frame, idLength, "CDM"))
            return false;
        uint32_t length = BigEndian(frame + idLength, major == 2 ? 3 : 4);
        if (major == 4 && !SyncSafe(frame + 4, length))
            return false;
        if (length == 0 || length > body.size() - pos - headLength)
            return false;
        bool exact = frameBytesExact;
        if (major == 3 && (frame[8] & 0x1F || frame[9] != 0))
            return false; // compression, encryption, grouping or undefined bits
        if (major == 4) {
            if (frame[8] & 0x8F || frame[9] & ~0x02)
                return false; // only frame unsynchronisation is taken
            exact = exact && !(frame[9] & 0x02);
        }
        const uint8_t* data = frame + headLength;
        if (HasEncoding(frame, idLength)) {
            const int encoding = data[0];
            const size_t lead = HasLanguage(frame, idLength) ? 4 : 1;
            if (encoding > maxEncoding || length < lead)
                return false;
            // Text that is all UTF-16 comes in whole units; id3lib never
            // ends reading a list of strings (IPLS) that stops half a unit in.
            const bool utf16 = encoding == 1 || encoding == 2;
            const bool allText =
                frame[0] == 'T' || lead == 4 || IdIsOneOf(frame, idLength, {"IPLS", "IPL"});
            if (utf16 && exact && allText && (length - lead) % 2 != 0)
                return false;
            const int slot = SlotOf(frame, idLength);
            if (slot >= 0 && walk.encodings[slot] < 0)
                walk.encodings[slot] = encoding;
        }
        ++frames;
        pos += headLength + length;
    }
    for (; pos < body.size(); ++pos)
        if (body[pos] != 0)
            return false; // a cut frame header or bytes after the padding
    return frames > 0;
}

} // namespace

Id3v2Walk WalkLeadingId3v2(const uint8_t* bytes, size_t available, uint64_t fileSize)
{
    Id3v2Walk walk;
    available = static_cast<size_t>(std::min<uint64_t>(available, fileSize));
    uint64_t start = 0;
    for (;;) {
        const uint64_t headEnd = std::min<uint64_t>(fileSize, start + 10);
        if (headEnd > available) {
            walk.needed = headEnd;
            return walk;
        }
        const uint8_t* h = bytes + start;
        if (headEnd - start < 3 || std::memcmp(h, "ID3", 3) != 0)
            break;
        if (headEnd - start < 10)
            return walk;
        const int major = h[3];
        uint32_t size = 0;
        if (major < 2 || major > 4 || h[4] != 0 || !SyncSafe(h + 6, size))
            return walk;
        const uint64_t footer = major == 4 && (h[5] & 0x10) ? 10 : 0;
        const uint64_t end = start + 10 + size + footer;
        if (end > fileSize || end > kMaxTagBytes)
            return walk;
        if (end > available) {
            walk.needed = std::min<uint64_t>(fileSize, end + 10); // with the next header
            return walk;
        }
        if (footer && std::memcmp(h + 10 + size, "3DI", 3) != 0)
            return walk;
        if (!TagIsSound(h, size, walk))
            return walk;
        walk.v24 = walk.v24 || major == 4;
        start = end;
    }
    walk.sound = true;
    walk.tagBytes = start;
    return walk;
}

namespace {

// A field's text. id3lib holds UTF-16 big-endian whatever the file's byte
// order, and Size() counts bytes.
QString FieldText(const ID3_Field* field)
{
    if (field == nullptr)
        return QString();
    const size_t size = field->Size();
    const ID3_TextEnc encoding = field->GetEncoding();
    if (encoding == ID3TE_UTF16 || encoding == ID3TE_UTF16BE) {
        const auto* raw = reinterpret_cast<const uint8_t*>(field->GetRawUnicodeText());
        QString text;
        for (size_t i = 0; raw != nullptr && i + 1 < size; i += 2) {
            const char16_t unit = static_cast<char16_t>(raw[i] << 8 | raw[i + 1]);
            if (unit == 0)
                break;
            text.append(QChar(unit));
        }
        return text;
    }
    const char* raw = field->GetRawText();
    if (raw == nullptr)
        return QString();
    return GbkToQString(QByteArrayView(raw, static_cast<qsizetype>(strnlen(raw, size))));
}

QString FrameText(const ID3_Frame* frame, ID3_FieldID field = ID3FN_TEXT)
{
    return frame != nullptr ? FieldText(frame->GetField(field)) : QString();
}

// Every frame of one kind. id3lib's Find goes round the frames from where the
// last search stopped, so going round once sees each.
std::vector<ID3_Frame*> AllFrames(const ID3_Tag& tag, ID3_FrameID id)
{
    std::vector<ID3_Frame*> frames;
    ID3_Frame* const first = tag.Find(id);
    for (ID3_Frame* frame = first; frame != nullptr && frames.size() < tag.NumFrames();) {
        frames.push_back(frame);
        frame = tag.Find(id);
        if (frame == first)
            break;
    }
    return frames;
}

// The comment id3lib's own getter means: the first one that is not the copy
// it makes of an ID3v1 comment. Descriptions are compared as text, never
// through id3lib's lookup by description, which misreads non-Latin-1 ones.
ID3_Frame* MainComment(const ID3_Tag& tag)
{
    const std::vector<ID3_Frame*> comments = AllFrames(tag, ID3FID_COMMENT);
    for (ID3_Frame* frame : comments)
        if (FrameText(frame, ID3FN_DESCRIPTION) != QLatin1String("ID3v1 Comment"))
            return frame;
    return comments.empty() ? nullptr : comments.front();
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
    // or reads from one, and tags it would mis-read.
    CInputFile file;
    if (!file.Open(path))
        return false;
    std::vector<uint8_t> head;
    size_t want = static_cast<size_t>(std::min<uint64_t>(file.Size(), kFirstRead));
    Id3v2Walk walk;
    for (;;) {
        head.resize(want);
        const size_t got = file.ReadAt(0, head.data(), want);
        walk = WalkLeadingId3v2(head.data(), got, file.Size());
        if (walk.sound || walk.needed <= got || got < want)
            break;
        want = static_cast<size_t>(walk.needed);
    }
    if (!walk.sound)
        return false;
    if (walk.v24 && (kinds & ID3TT_ID3V2)) {
        ReadThroughFfmpeg(path, walk);
        return true;
    }
    // Only the tags walked above and the fixed-size ID3v1 block: the other
    // appended kinds are parsed by id3lib from sizes nobody checked.
    const flags_t parsed = static_cast<flags_t>(kinds & (ID3TT_ID3V1 | ID3TT_ID3V2));
    m_tag->Link(QFile::encodeName(path).constData(), parsed);
    m_linked = true;

    m_album = FrameText(m_tag->Find(ID3FID_ALBUM));
    m_title = FrameText(m_tag->Find(ID3FID_TITLE));
    for (const ID3_FrameID id :
         {ID3FID_LEADARTIST, ID3FID_BAND, ID3FID_CONDUCTOR, ID3FID_COMPOSER}) {
        if (const ID3_Frame* frame = m_tag->Find(id)) {
            m_artist = FrameText(frame);
            break;
        }
    }
    m_comment = FrameText(MainComment(*m_tag));
    m_year = FrameText(m_tag->Find(ID3FID_YEAR));
    m_genre = FrameText(m_tag->Find(ID3FID_CONTENTTYPE));
    m_copyright = FrameText(m_tag->Find(ID3FID_COPYRIGHT));
    return true;
}

void Id3TagInfo::ReadThroughFfmpeg(const QString& path, const Id3v2Walk& walk)
{
    std::vector<std::pair<std::string, std::string>> tags;
    if (!WmaToWavConverter::ReadTags(path, tags))
        return;
    const auto text = [&](const char* key, int slot) {
        for (const auto& [name, value] : tags) {
            if (name != key)
                continue;
            const QString decoded = QString::fromUtf8(value);
            // ISO-8859-1 frames (and ID3v1) carry GBK bytes, which FFmpeg
            // read as Latin-1: take the bytes back.
            const int encoding = walk.encodings[slot];
            const bool unicode = encoding >= 1 && encoding <= 3;
            const bool latin1 = std::all_of(decoded.cbegin(), decoded.cend(),
                                            [](QChar c) { return c.unicode() <= 0xFF; });
            return !unicode && latin1 ? GbkToQString(decoded.toLatin1()) : decoded;
        }
        return QString();
    };
    m_album = text("album", kAlbum);
    m_title = text("title", kTitle);
    m_artist = text("artist", kArtist);
    m_comment = text("comment", kComment);
    m_year = text("date", kYear);
    m_genre = text("genre", kGenre);
    m_copyright = text("copyright", kCopyright);
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
    // iterator through a base without a virtual destructor, and its lookup by
    // description misreads descriptions that are not Latin-1.
    const std::string bytes = Gbk(text);
    if (bytes.empty())
        return;
    for (ID3_Frame* old : AllFrames(*m_tag, ID3FID_COMMENT))
        if (FrameText(old, ID3FN_DESCRIPTION).isEmpty())
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
    // id3lib's ID3v1 writer picks the comment by comparing descriptions as
    // Latin-1 bytes, and for a Unicode description it reads that many bytes
    // from an empty string. Such comments never are the ID3v1 comment, so
    // they are set aside while the ID3v1 block is written, after the ID3v2
    // tag was written with them.
    std::vector<ID3_Frame*> unicodeDescribed;
    if (kinds & ID3TT_ID3V1) {
        for (ID3_Frame* frame : AllFrames(*m_tag, ID3FID_COMMENT)) {
            const ID3_Field* description = frame->GetField(ID3FN_DESCRIPTION);
            if (description != nullptr && description->GetRawText() == nullptr &&
                description->Size() > 0)
                unicodeDescribed.push_back(frame);
        }
    }
    if (unicodeDescribed.empty())
        return static_cast<uint16_t>(m_tag->Update(static_cast<flags_t>(kinds)));
    flags_t written = m_tag->Update(static_cast<flags_t>(kinds & ~ID3TT_ID3V1));
    for (ID3_Frame* frame : unicodeDescribed)
        m_tag->RemoveFrame(frame);
    written |= m_tag->Update(ID3TT_ID3V1);
    for (ID3_Frame* frame : unicodeDescribed)
        m_tag->AttachFrame(frame);
    return static_cast<uint16_t>(written);
}
