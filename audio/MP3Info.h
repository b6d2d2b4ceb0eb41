#pragma once

#include <QString>

#include <cstdint>

class CInputFile;

// What a walk over a file's MPEG audio frame headers tells: whether it is MP3
// at all, its version, layer, sample rate, average bitrate and duration, and
// the ID3v1 tag at its end. Texts of the tag are GBK bytes, decoded for the
// program (Latin-1 where they are not GBK). Any thread; one at a time.
class CMP3Info
{
public:
    enum Flags : int32_t {
        kHasId3v1 = 1,  // an ID3v1 tag was read
        kHasFrames = 2, // MPEG frames were found
    };
    // Version codes as the frame header carries them.
    enum Version : int32_t { kReservedVersion = 0, kMpeg25 = 1, kMpeg2 = 2, kMpeg1 = 3 };

    CMP3Info() = default;
    // Opens path unless it is empty.
    explicit CMP3Info(const QString& path);
    virtual ~CMP3Info() = default;

    // Walks the frames and reads the ID3v1 tag. 1 opened (whether or not
    // frames were found), 0 the file cannot be opened for reading or is no
    // regular file. A leading ID3v2 tag is skipped before the first search.
    int Open(const QString& path);

    const QString& GetPath() const { return m_path; }
    int32_t GetFlags() const { return m_flags; }
    bool HasFrames() const { return (m_flags & kHasFrames) != 0; }
    bool HasId3v1() const { return (m_flags & kHasId3v1) != 0; }

    const QString& GetArtist() const { return m_artist; }
    const QString& GetTitle() const { return m_title; }
    const QString& GetAlbum() const { return m_album; }
    const QString& GetComment() const { return m_comment; }
    const QString& GetYear() const { return m_year; }
    int32_t GetTrack() const { return m_track; } // 0: none
    int32_t GetGenre() const { return m_genre; } // 255: none

    int64_t GetFrameCount() const { return m_frameCount; }
    int64_t GetDuration() const { return m_duration; } // whole seconds, truncated
    int32_t GetVersion() const { return m_version; }
    int32_t GetLayer() const { return m_layer; } // 1, 2, 3; 0 reserved
    int32_t GetProtection() const { return m_protection; }
    int32_t GetBitrate() const { return m_bitrate; }       // average, kbit/s
    int32_t GetSampleRate() const { return m_sampleRate; } // Hz
    int32_t GetChannelMode() const { return m_channelMode; }
    int32_t GetEmphasis() const { return m_emphasis; }
    int32_t GetCopyright() const { return m_copyright; }
    int32_t GetOriginal() const { return m_original; }

    // Bitrate in kbit/s of a header's bitrate index (0..15) for a version
    // code and layer: 0 for index 0, -1 for index 15, 0 for a reserved layer.
    static int BitrateOf(int version, int layer, int index);
    // Length in bytes of a frame with these values, header included.
    static int64_t FrameLength(int version, int layer, int bitrate, int rate, int padding);

private:
    void Reset();
    void ReadId3v1(const CInputFile& file);

    QString m_path;
    int32_t m_flags = 0;
    QString m_artist;
    QString m_title;
    QString m_album;
    QString m_comment;
    QString m_year;
    int32_t m_track = 0;
    int32_t m_genre = 255;
    int64_t m_frameCount = 0;
    int64_t m_duration = 0;
    int32_t m_version = 0;
    int32_t m_layer = 0;
    int32_t m_protection = 0;
    int32_t m_bitrate = 0;
    int32_t m_sampleRate = 0;
    int32_t m_channelMode = 0;
    int32_t m_emphasis = 0;
    int32_t m_copyright = 0;
    int32_t m_original = 0;
};
