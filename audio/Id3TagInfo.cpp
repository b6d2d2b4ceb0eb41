#include "audio/Id3TagInfo.h"

#include "audio/InputFile.h"
#include "audio/WmaToWavConverter.h"
#include "platform/TextCoding.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

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
        if (++walk.frames > kMaxId3v2Frames)
            return false;
        pos += headLength + length;
    }
    for (; pos < body.size(); ++pos)
        if (body[pos] != 0)
            return false; // a cut frame header or bytes after the padding
    return frames > 0;
}

} // namespace

Id3v2Walk WalkLeadingId3v2(const uint8_t* bytes, size_t available, uint64_t fileSize,
                           const Id3v2Walk& resumeFrom)
{
    Id3v2Walk walk;
    available = static_cast<size_t>(std::min<uint64_t>(available, fileSize));
    uint64_t start = 0;
    if (!resumeFrom.sound && resumeFrom.needed > 0 && resumeFrom.tagBytes <= available) {
        walk = resumeFrom;
        walk.needed = 0;
        start = resumeFrom.tagBytes;
    }
    for (;;) {
        walk.tagBytes = start;
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
    // Each pass reads only what the last one lacked and walks on from the
    // last tag it accepted; the buffer at least doubles, so a long chain of
    // small tags costs a few reads.
    Id3v2Walk walk;
    size_t got = 0;
    for (;;) {
        head.resize(want);
        const size_t read = file.ReadAt(got, head.data() + got, want - got);
        got += read;
        walk = WalkLeadingId3v2(head.data(), got, file.Size(), walk);
        if (walk.sound || walk.needed <= got || got < want)
            break;
        want = static_cast<size_t>(std::max<uint64_t>(
            walk.needed, std::min<uint64_t>({uint64_t{want} * 2, file.Size(), kMaxTagBytes})));
    }
    if (!walk.sound)
        return false;
    if (walk.v24 && (kinds & ID3TT_ID3V2)) {
        ReadThroughFfmpeg(path, walk);
        return true;
    }
    // Only the tags walked above and the fixed-size ID3v1 block: the other
    // appended kinds are parsed by id3lib from sizes nobody checked.
    // id3lib's ID3v1 reading, when it merges into the frames of an ID3v2 tag,
    // turns their UTF-16 text into ASCII: the ID3v2 tag is linked alone and
    // the ID3v1 block, read on its own, only fills in texts the tag lacks.
    // Update writes the ID3v1 block the same way.
    const QByteArray native = QFile::encodeName(path);
    m_tag->Link(native.constData(), static_cast<flags_t>(kinds & ID3TT_ID3V2));
    m_linked = true;
    CacheTexts(*m_tag);
    if (kinds & ID3TT_ID3V1) {
        ID3_Tag v1;
        v1.Link(native.constData(), ID3TT_ID3V1);
        CacheTexts(v1);
    }
    return true;
}

void Id3TagInfo::CacheTexts(const ID3_Tag& tag)
{
    const auto fill = [](QString& text, const QString& found) {
        if (text.isEmpty())
            text = found;
    };
    fill(m_album, FrameText(tag.Find(ID3FID_ALBUM)));
    fill(m_title, FrameText(tag.Find(ID3FID_TITLE)));
    for (const ID3_FrameID id :
         {ID3FID_LEADARTIST, ID3FID_BAND, ID3FID_CONDUCTOR, ID3FID_COMPOSER}) {
        if (const ID3_Frame* frame = tag.Find(id)) {
            fill(m_artist, FrameText(frame));
            break;
        }
    }
    fill(m_comment, FrameText(MainComment(tag)));
    fill(m_year, FrameText(tag.Find(ID3FID_YEAR)));
    fill(m_genre, FrameText(tag.Find(ID3FID_CONTENTTYPE)));
    fill(m_copyright, FrameText(tag.Find(ID3FID_COPYRIGHT)));
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

namespace {

bool IsAscii(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

// The text up to its first NUL: id3lib takes C texts.
QString UpToNul(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

// Fills a text field: plain ASCII as ISO-8859-1, anything else as UTF-16.
// id3lib keeps UTF-16 as big-endian bytes and writes them behind a
// byte-order mark, so the units go in big-endian.
void SetField(ID3_Frame& frame, ID3_FieldID id, const QString& text, bool unicode)
{
    ID3_Field* field = frame.GetField(id);
    if (field == nullptr)
        return;
    if (!unicode) {
        field->SetEncoding(ID3TE_ISO8859_1);
        field->Set(UpToNul(text).toLatin1().constData());
        return;
    }
    field->SetEncoding(ID3TE_UTF16);
    std::vector<unicode_t> units;
    for (const QChar c : UpToNul(text))
        units.push_back(qToBigEndian(static_cast<unicode_t>(c.unicode())));
    units.push_back(0);
    field->Set(units.data());
}

// A new frame of kind id holding text; comments get the language and the
// empty description of the main comment.
ID3_Frame* NewTextFrame(ID3_FrameID id, const QString& text, bool unicode)
{
    auto* frame = new ID3_Frame(id);
    if (ID3_Field* encoding = frame->GetField(ID3FN_TEXTENC))
        encoding->Set(unicode ? ID3TE_UTF16 : ID3TE_ISO8859_1);
    if (id == ID3FID_COMMENT) {
        frame->GetField(ID3FN_LANGUAGE)->Set("XXX");
        SetField(*frame, ID3FN_DESCRIPTION, QString(), unicode);
    }
    SetField(*frame, ID3FN_TEXT, text, unicode);
    return frame;
}

void RemoveFrames(ID3_Tag& tag, std::initializer_list<ID3_FrameID> ids)
{
    for (const ID3_FrameID id : ids)
        while (ID3_Frame* old = tag.Find(id))
            delete tag.RemoveFrame(old);
}

// Replaces the frames of the kinds in ids with one frame of the first kind
// holding text; an empty text changes nothing.
void ReplaceFrames(ID3_Tag& tag, std::initializer_list<ID3_FrameID> ids, const QString& text)
{
    if (UpToNul(text).isEmpty())
        return;
    RemoveFrames(tag, ids);
    tag.AttachFrame(NewTextFrame(*ids.begin(), text, !IsAscii(text)));
}

// The GBK bytes of the longest start of text that fits count bytes, never
// cut inside a character.
std::string GbkPrefix(const QString& text, size_t count)
{
    for (qsizetype length = std::min<qsizetype>(text.size(), count); length > 0; --length) {
        if (text.at(length - 1).isHighSurrogate())
            continue;
        const std::string bytes = Gbk(text.left(length));
        if (bytes.size() <= count)
            return bytes;
    }
    return std::string();
}

// An ISO-8859-1 frame carrying GBK bytes, as the ID3v1 block takes them.
ID3_Frame* NewGbkFrame(ID3_FrameID id, const std::string& bytes)
{
    auto* frame = new ID3_Frame(id);
    if (ID3_Field* encoding = frame->GetField(ID3FN_TEXTENC))
        encoding->Set(ID3TE_ISO8859_1);
    if (id == ID3FID_COMMENT) {
        frame->GetField(ID3FN_LANGUAGE)->Set("XXX");
        frame->GetField(ID3FN_DESCRIPTION)->Set("");
    }
    frame->GetField(ID3FN_TEXT)->Set(bytes.c_str());
    return frame;
}

// The comment the ID3v1 block takes: the one without a description (what
// SetComment writes), else the copy of an earlier ID3v1 comment, else any.
const ID3_Frame* V1Comment(const ID3_Tag& tag)
{
    const std::vector<ID3_Frame*> comments = AllFrames(tag, ID3FID_COMMENT);
    for (const ID3_Frame* frame : comments)
        if (FrameText(frame, ID3FN_DESCRIPTION).isEmpty())
            return frame;
    for (const ID3_Frame* frame : comments)
        if (FrameText(frame, ID3FN_DESCRIPTION) == QLatin1String("ID3v1 Comment"))
            return frame;
    return comments.empty() ? nullptr : comments.front();
}

QString FirstText(const ID3_Tag& tag, std::initializer_list<ID3_FrameID> ids)
{
    for (const ID3_FrameID id : ids)
        if (const ID3_Frame* frame = tag.Find(id))
            return FrameText(frame);
    return QString();
}

// id3lib writes an empty UTF-16 string as its terminator alone, without the
// byte-order mark every UTF-16 string of a version 2.3 tag starts with; FFmpeg
// then skips the whole comment. Puts the mark in front of such empty comment
// descriptions of the tag id3lib wrote at the file's start, taking the bytes
// from the padding; without padding enough the file is written anew with a
// larger tag (through a temporary file, renamed over it when complete).
// A failed rewrite keeps the file id3lib wrote, whose comment only FFmpeg
// skips; a failed write in place is a damaged tag.
enum class MarkResult { Unchanged, InPlace, Grown, Failed };
MarkResult MarkEmptyUnicodeDescriptions(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return MarkResult::Unchanged;
    const QByteArray head = file.read(10);
    uint32_t size = 0;
    if (head.size() != 10 || !head.startsWith("ID3") || head[3] != 3 || head[5] != 0 ||
        !SyncSafe(reinterpret_cast<const uint8_t*>(head.constData()) + 6, size))
        return MarkResult::Unchanged;
    const QByteArray body = file.read(size);
    if (body.size() != static_cast<qsizetype>(size))
        return MarkResult::Unchanged;
    const auto* bytes = reinterpret_cast<const uint8_t*>(body.constData());
    QByteArray fixed;
    qsizetype pos = 0;
    bool changed = false;
    while (pos + 10 <= body.size() && bytes[pos] != 0) {
        const uint32_t length = BigEndian(bytes + pos + 4, 4);
        if (length > static_cast<uint64_t>(body.size() - pos - 10))
            return MarkResult::Unchanged;
        const uint8_t* data = bytes + pos + 10;
        if (std::memcmp(bytes + pos, "COMM", 4) == 0 && length >= 6 && data[0] == 1 &&
            data[4] == 0 && data[5] == 0) {
            uint8_t header[10];
            std::memcpy(header, bytes + pos, 10);
            const uint32_t grown = length + 2;
            for (int i = 0; i < 4; ++i)
                header[4 + i] = static_cast<uint8_t>(grown >> (24 - 8 * i));
            fixed.append(reinterpret_cast<const char*>(header), 10);
            fixed.append(reinterpret_cast<const char*>(data), 4);
            fixed.append("\xFF\xFE", 2);
            fixed.append(reinterpret_cast<const char*>(data + 4), length - 4);
            changed = true;
        } else {
            fixed.append(body.constData() + pos, 10 + length);
        }
        pos += 10 + length;
    }
    if (!changed)
        return MarkResult::Unchanged;
    if (fixed.size() <= body.size()) {
        fixed.append(QByteArray(body.size() - fixed.size(), '\0'));
        // In place: a short write leaves a damaged tag, which is a failed save.
        if (!file.seek(10) || file.write(fixed) != fixed.size() || !file.flush())
            return MarkResult::Failed;
        return MarkResult::InPlace;
    }
    constexpr qsizetype kPadding = 1024;
    const qsizetype tagSize = fixed.size() + kPadding;
    if (tagSize >= (1 << 28))
        return MarkResult::Unchanged;
    QByteArray header = head;
    for (int i = 0; i < 4; ++i)
        header[6 + i] = static_cast<char>((tagSize >> (21 - 7 * i)) & 0x7F);
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(header) != header.size() ||
        out.write(fixed) != fixed.size() || out.write(QByteArray(kPadding, '\0')) != kPadding)
        return MarkResult::Unchanged;
    std::vector<char> block(1 << 16);
    for (;;) {
        const qint64 got = file.read(block.data(), static_cast<qint64>(block.size()));
        if (got < 0)
            return MarkResult::Unchanged;
        if (got == 0)
            break;
        if (out.write(block.data(), got) != got)
            return MarkResult::Unchanged;
    }
    return out.commit() ? MarkResult::Grown : MarkResult::Unchanged;
}

} // namespace

void Id3TagInfo::SetAlbum(const QString& text)
{
    m_album = text;
    ReplaceFrames(*m_tag, {ID3FID_ALBUM}, text);
}

void Id3TagInfo::SetTitle(const QString& text)
{
    m_title = text;
    ReplaceFrames(*m_tag, {ID3FID_TITLE}, text);
}

void Id3TagInfo::SetArtist(const QString& text)
{
    m_artist = text;
    ReplaceFrames(*m_tag, {ID3FID_LEADARTIST, ID3FID_BAND, ID3FID_CONDUCTOR, ID3FID_COMPOSER},
                  text);
}

void Id3TagInfo::SetComment(const QString& text)
{
    m_comment = text;
    // What ID3_AddComment(tag, text, true) does: replace the comments without
    // a description. Done here because id3lib's own removal deletes its frame
    // iterator through a base without a virtual destructor, and its lookup by
    // description misreads descriptions that are not Latin-1.
    if (UpToNul(text).isEmpty())
        return;
    for (ID3_Frame* old : AllFrames(*m_tag, ID3FID_COMMENT))
        if (FrameText(old, ID3FN_DESCRIPTION).isEmpty())
            delete m_tag->RemoveFrame(old);
    m_tag->AttachFrame(NewTextFrame(ID3FID_COMMENT, text, !IsAscii(text)));
}

void Id3TagInfo::SetYear(const QString& text)
{
    m_year = text;
    ReplaceFrames(*m_tag, {ID3FID_YEAR}, text);
}

void Id3TagInfo::SetGenre(const QString& text)
{
    m_genre = text;
    ReplaceFrames(*m_tag, {ID3FID_CONTENTTYPE}, text);
}

void Id3TagInfo::SetCopyright(const QString& text)
{
    if (text.isEmpty())
        return;
    m_copyright = text;
    RemoveFrames(*m_tag, {ID3FID_COPYRIGHT});
    m_tag->AttachFrame(NewTextFrame(ID3FID_COPYRIGHT, text, !IsAscii(text)));
}

int Id3TagInfo::GenreNumber(const QString& name)
{
    const QStringList& names = Genres();
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

const QStringList& Id3TagInfo::Genres()
{
    static const QStringList genres =
        QStringLiteral(
            "Blues ClassicRock Country Dance Disco Funk Grunge Hip-Hop Jazz Metal NewAge Oldies "
            "Other Pop R&B Rap Reggae Rock Techno Industrial Alternative Ska DeathMetal Pranks "
            "Soundtrack Euro-Techno Ambient Trip-Hop Vocal Jazz+Funk Fusion Trance Classical "
            "Instrumental Acid House Game SoundClip Gospel Noise AlternRock Bass Soul Punk Space "
            "Meditative InstrumentalPop InstrumentalRock Ethnic Gothic Darkwave Techno-Industrial "
            "Electronic Pop-Folk Eurodance Dream SouthernRock Comedy Cult Gangsta Top40 "
            "ChristianRap Pop/Funk Jungle NativeAmerican Cabaret NewWave Psychadelic Rave "
            "Showtunes Trailer Lo-Fi Tribal AcidPunk AcidJazz Polka Retro Musical Rock&Roll "
            "HardRock Folk Folk-Rock NationalFolk Swing FastFusion Bebob Latin Revival Celtic "
            "Bluegrass Avantgarde GothicRock ProgessiveRock PsychedelicRock SymphonicRock "
            "SlowRock "
            "BigBand Chorus EasyListening Acoustic Humour Speech Chanson Opera ChamberMusic "
            "Sonata "
            "Symphony BootyBass Primus PornGroove Satire SlowJam Club Tango Samba Folklore Ballad "
            "PowerBallad RhythmicSoul Freestyle Duet PunkRock DrumSolo Acapella Euro-House "
            "DanceHall Goa Drum&Bass Club-House Hardcore Terror Indie BritPop Negerpunk PolskPunk "
            "Beat ChristianGangstaRap HeavyMetal BlackMetal Crossover ContemporaryChristian "
            "ChristianRock Merengue Salsa TrashMetal Anime JPop Synthpop")
            .split(u' ');
    return genres;
}

uint16_t Id3TagInfo::Update(uint16_t kinds)
{
    if (!m_linked)
        return 0;
    flags_t written = 0;
    const auto others = static_cast<flags_t>(kinds & ~ID3TT_ID3V1);
    if (others != 0) {
        written = m_tag->Update(others);
        // A tag that grew moved the audio: id3lib learns the new layout.
        const QByteArray name = m_tag->GetFileName();
        if (written & ID3TT_ID3V2) {
            const MarkResult marked = MarkEmptyUnicodeDescriptions(QFile::decodeName(name));
            if (marked == MarkResult::Failed)
                written &= ~static_cast<flags_t>(ID3TT_ID3V2);
            if (marked == MarkResult::Grown) {
                m_tag->Clear();
                m_tag->Link(name.constData(), ID3TT_ID3V2);
            }
        }
    }
    if (kinds & ID3TT_ID3V1)
        written |= UpdateV1();
    return static_cast<uint16_t>(written);
}

uint16_t Id3TagInfo::UpdateV1()
{
    // The ID3v1 block has no encoding field: its texts are GBK bytes, cut at
    // a character's end to the block's field widths, and its genre is the
    // number of the genre the ID3v2 tag names. They are taken from the
    // texts the tag now holds (the ID3v1 block's own where it has none) into
    // a tag linked to the block alone, so id3lib writes it over the old one.
    // The comment is picked here: id3lib compares descriptions as Latin-1
    // bytes, and for a Unicode description reads that many bytes from an
    // empty string.
    ID3_Tag v1;
    v1.Link(m_tag->GetFileName(), ID3TT_ID3V1);
    const auto text = [&](std::initializer_list<ID3_FrameID> ids) {
        const QString own = FirstText(*m_tag, ids);
        return own.isEmpty() ? FirstText(v1, ids) : own;
    };
    const ID3_Frame* ownComment = V1Comment(*m_tag);
    const QString comment = FrameText(ownComment ? ownComment : V1Comment(v1));
    const QString track = text({ID3FID_TRACKNUM});
    const QString genre = text({ID3FID_CONTENTTYPE});
    const int genreNumber = GenreNumber(genre);
    constexpr size_t kField = 30;
    const std::pair<ID3_FrameID, std::string> texts[] = {
        {ID3FID_TITLE, GbkPrefix(text({ID3FID_TITLE}), kField)},
        {ID3FID_LEADARTIST,
         GbkPrefix(text({ID3FID_LEADARTIST, ID3FID_BAND, ID3FID_CONDUCTOR, ID3FID_COMPOSER}),
                   kField)},
        {ID3FID_ALBUM, GbkPrefix(text({ID3FID_ALBUM}), kField)},
        {ID3FID_YEAR, GbkPrefix(text({ID3FID_YEAR}), 4)},
        {ID3FID_CONTENTTYPE,
         genreNumber >= 0 ? "(" + std::to_string(genreNumber) + ")" : Gbk(genre)},
        {ID3FID_COMMENT, GbkPrefix(comment, track.isEmpty() ? kField : kField - 2)},
        {ID3FID_TRACKNUM, Gbk(track)},
    };
    RemoveFrames(v1,
                 {ID3FID_TITLE, ID3FID_LEADARTIST, ID3FID_BAND, ID3FID_CONDUCTOR, ID3FID_COMPOSER,
                  ID3FID_ALBUM, ID3FID_YEAR, ID3FID_CONTENTTYPE, ID3FID_COMMENT, ID3FID_TRACKNUM});
    for (const auto& [id, bytes] : texts)
        if (!bytes.empty())
            v1.AttachFrame(NewGbkFrame(id, bytes));
    return static_cast<uint16_t>(v1.Update(ID3TT_ID3V1));
}
