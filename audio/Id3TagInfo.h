#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

class ID3_Tag;

// What a walk of the ID3v2 tags at a file's start found. Sound when every
// chained tag, every frame header, flag, text encoding and size was walked and
// accepted (also when there is no tag) and the tags hold no more frames than
// kMaxId3v2Frames; only then does id3lib see the file.
struct Id3v2Walk
{
    bool sound = false;
    uint64_t needed = 0;   // refused only because the buffer ended: bytes to pass
    uint64_t tagBytes = 0; // bytes the tags take at the start (so far, when not sound)
    uint64_t frames = 0;   // frames the tags hold (so far, when not sound)
    bool v24 = false;      // a version 2.4 tag is among them (id3lib misreads those)
    // Text encodings of the first TIT2, TPE1, TALB, COMM, TYER/TDRC, TCON and
    // TCOP frames, -1 where there is none.
    int encodings[7] = {-1, -1, -1, -1, -1, -1, -1};
};

// id3lib reads chained tags as one and takes time that grows with the square
// of their frames (16000 take seconds); real tags hold a few dozen.
constexpr uint64_t kMaxId3v2Frames = 1024;

// Walks the ID3v2 tags at the start of bytes, which holds available bytes of a
// file of fileSize bytes. Pure: a fuzz target may call it on any buffer.
// Given the walk of a shorter prefix of the same bytes that ended only for
// want of bytes (needed > 0), it goes on behind the tags that walk accepted
// instead of walking them again, so reading a chain of tags costs one pass.
Id3v2Walk WalkLeadingId3v2(const uint8_t* bytes, size_t available, uint64_t fileSize,
                           const Id3v2Walk& resumeFrom = {});

// Reads and writes a file's ID3 tags through id3lib. ID3v2 text that is not
// plain ASCII is written as UTF-16 with a byte-order mark, ASCII text as
// ISO-8859-1; the ID3v1 block, which has no encoding field, gets GBK bytes and
// the number of the genre named. ISO-8859-1 frames read as GBK, as the MP3
// files of this market carry it (Latin-1 where the bytes are not GBK); UTF-16
// and UTF-8 frames read as the text they hold. Version 2.4 tags, which id3lib
// misreads, are read through FFmpeg. One thread at a time.
class Id3TagInfo
{
public:
    // Tag kinds as id3lib numbers them (bit 0 ID3v1, bit 1 ID3v2, ...).
    static constexpr uint16_t kAllTagKinds = 0xFFFF;

    Id3TagInfo();
    virtual ~Id3TagInfo();
    Id3TagInfo(const Id3TagInfo&) = delete;
    Id3TagInfo& operator=(const Id3TagInfo&) = delete;

    // Links the tag to the file (the kinds to parse; only ID3v1 and ID3v2
    // are taken) and caches its texts; copyright is the first TCOP frame's text.
    // false, with empty texts and nothing linked, when path is no readable
    // regular file or starts with ID3v2 tags WalkLeadingId3v2 refuses. A
    // version 2.4 tag gives its texts and true with nothing linked.
    bool Read(const QString& path, uint16_t kinds = kAllTagKinds);

    const QString& GetAlbum() const { return m_album; }
    const QString& GetTitle() const { return m_title; }
    const QString& GetArtist() const { return m_artist; }
    const QString& GetComment() const { return m_comment; }
    const QString& GetYear() const { return m_year; }
    const QString& GetGenre() const { return m_genre; }
    const QString& GetCopyright() const { return m_copyright; }

    // Each stores the text and replaces the frames of its kind with one
    // holding it; an empty text leaves the tag's frames as they are.
    void SetAlbum(const QString& text);
    void SetTitle(const QString& text);
    void SetArtist(const QString& text);
    void SetComment(const QString& text);
    void SetYear(const QString& text);
    void SetGenre(const QString& text);
    // Leaves exactly one TCOP frame holding text; an empty text changes nothing.
    void SetCopyright(const QString& text);

    // Writes the tag kinds asked for into the linked file. Returns the kinds
    // written (0: nothing written, for example when nothing is linked).
    uint16_t Update(uint16_t kinds = kAllTagKinds);

    // The genre names in the ID3v1 numbering (0 to 147), written without
    // spaces, and the number of one of them (any case); -1 for another text.
    static const QStringList& Genres();
    static int GenreNumber(const QString& name);

private:
    void ReadThroughFfmpeg(const QString& path, const Id3v2Walk& walk);
    // Fills the texts still empty from tag.
    void CacheTexts(const ID3_Tag& tag);
    uint16_t UpdateV1();

    class Tag; // id3lib's tag, kept out of this header
    std::unique_ptr<Tag> m_tag;
    bool m_linked = false;
    QString m_album;
    QString m_title;
    QString m_artist;
    QString m_comment;
    QString m_year;
    QString m_genre;
    QString m_copyright;
};
