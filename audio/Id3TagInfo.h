#pragma once

#include <QString>

#include <cstdint>
#include <memory>

// Reads and writes a file's ID3 tags through id3lib. Text goes into the tag
// as GBK bytes in ISO-8859-1 frames, as the MP3 files of this market carry
// it, and is read back as GBK (Latin-1 where the bytes are not GBK). One
// thread at a time.
class Id3TagInfo
{
public:
    // Tag kinds as id3lib numbers them (bit 0 ID3v1, bit 1 ID3v2, ...).
    static constexpr uint16_t kAllTagKinds = 0xFFFF;

    Id3TagInfo();
    virtual ~Id3TagInfo();
    Id3TagInfo(const Id3TagInfo&) = delete;
    Id3TagInfo& operator=(const Id3TagInfo&) = delete;

    // Links the tag to the file (the kinds to parse) and caches its texts;
    // copyright is the first TCOP frame's text. false, with empty texts and
    // nothing linked, when path is no readable regular file or starts with a
    // broken ID3v2 tag (a size past its end, a compressed or encrypted frame).
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

private:
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
