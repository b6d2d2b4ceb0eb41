#include "audio/MP3Info.h"
#include "tests/audio/EncodedFixtures.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace EncodedFixtures;

namespace {

struct ProbeFigures
{
    int64_t frames = -1;
    int sampleRate = -1;
    int bitrate = -1;     // kbit/s
    double duration = -1; // s
};

ProbeFigures Probe(const QString& path)
{
    QByteArray out;
    ProbeFigures figures;
    if (!RunTool("ffprobe",
                 {"-v", "error", "-select_streams", "a:0", "-count_packets", "-show_entries",
                  "stream=nb_read_packets,sample_rate,bit_rate,duration", "-of", "json", path},
                 &out))
        return figures;
    const QJsonObject stream =
        QJsonDocument::fromJson(out).object()["streams"].toArray().at(0).toObject();
    figures.frames = stream["nb_read_packets"].toString().toLongLong();
    figures.sampleRate = stream["sample_rate"].toString().toInt();
    figures.bitrate = stream["bit_rate"].toString().toInt() / 1000;
    figures.duration = stream["duration"].toString().toDouble();
    return figures;
}

// A 128-byte ID3v1 tag; comment30 decides between v1.0 (30-byte comment) and
// v1.1 (28 bytes, then 0, track).
QByteArray Id3v1(const QByteArray& title, const QByteArray& artist, bool comment30, uint8_t track,
                 uint8_t genre)
{
    QByteArray tag("TAG");
    tag += title.leftJustified(30, '\0', true);
    tag += artist.leftJustified(30, '\0', true);
    tag += QByteArray("Album").leftJustified(30, '\0');
    tag += "2008";
    if (comment30) {
        tag += QByteArray("c").repeated(30);
    } else {
        tag += QByteArray("note").leftJustified(28, '\0');
        tag += '\0';
        tag += static_cast<char>(track);
    }
    tag += static_cast<char>(genre);
    return tag;
}

TEST(MP3Info, FrameLengths)
{
    struct Case
    {
        int version, layer, bitrateIndex, rate, padding;
        int64_t length;
    };
    using M = CMP3Info;
    const Case cases[] = {
        {M::kMpeg1, 3, 9, 44100, 0, 417}, // 128 kbit/s
        {M::kMpeg1, 3, 9, 44100, 1, 418},  {M::kMpeg1, 3, 9, 48000, 0, 384},
        {M::kMpeg2, 3, 8, 22050, 0, 208},  // 64 kbit/s: 576 samples a frame
        {M::kMpeg2, 3, 4, 16000, 1, 145},  // 32 kbit/s
        {M::kMpeg25, 3, 1, 8000, 0, 72},   // 8 kbit/s
        {M::kMpeg2, 2, 8, 22050, 0, 417},  // Layer II keeps 1152 samples
        {M::kMpeg1, 2, 10, 48000, 0, 576}, // 192 kbit/s
        {M::kMpeg1, 1, 1, 32000, 1, 52},   // Layer I: 4-byte slots
    };
    for (const Case& c : cases) {
        const int bitrate = CMP3Info::BitrateOf(c.version, c.layer, c.bitrateIndex);
        EXPECT_EQ(CMP3Info::FrameLength(c.version, c.layer, bitrate, c.rate, c.padding), c.length)
            << c.version << " " << c.layer << " " << c.rate;
    }
    EXPECT_EQ(CMP3Info::BitrateOf(M::kMpeg1, 3, 0), 0);
    EXPECT_EQ(CMP3Info::BitrateOf(M::kMpeg1, 3, 15), -1);
}

TEST(MP3Info, FiguresAgreeWithFfprobe)
{
    struct Case
    {
        int rate;
        double seconds;
        const char* bitrate;
        int version;
    };
    const Case cases[] = {
        {44100, 2.5, "128", CMP3Info::kMpeg1},
        {22050, 2.5, "64", CMP3Info::kMpeg2},
        {16000, 3.7, "32", CMP3Info::kMpeg2},
        {8000, 1.3, "16", CMP3Info::kMpeg25},
    };
    for (const Case& c : cases) {
        // "-t": no info frame, which ffprobe would not count as audio.
        const QString path =
            MakeMp3(QString("t%1.mp3").arg(c.rate), c.rate, c.seconds, {"-t", "-b", c.bitrate});
        ASSERT_FALSE(path.isEmpty());
        const ProbeFigures expected = Probe(path);
        ASSERT_GT(expected.frames, 0);
        CMP3Info info(path);
        EXPECT_EQ(info.GetFlags(), CMP3Info::kHasFrames) << c.rate;
        EXPECT_EQ(info.GetFrameCount(), expected.frames) << c.rate;
        EXPECT_EQ(info.GetSampleRate(), expected.sampleRate);
        EXPECT_EQ(info.GetBitrate(), expected.bitrate);
        EXPECT_EQ(info.GetDuration(), static_cast<int64_t>(std::floor(expected.duration)));
        EXPECT_EQ(info.GetVersion(), c.version);
        EXPECT_EQ(info.GetLayer(), 3);
        EXPECT_EQ(info.GetPath(), path);
    }
}

TEST(MP3Info, LeadingId3v2TagIsSkipped)
{
    const QString plain = MakeMp3("plain.mp3", 44100, 1.0, {"-b", "96"});
    const QString tagged =
        MakeMp3("tagged.mp3", 44100, 1.0,
                {"-b", "96", "--tt", "Title", "--add-id3v2", "--pad-id3v2-size", "100000"});
    ASSERT_FALSE(plain.isEmpty() || tagged.isEmpty());
    ASSERT_GT(QFileInfo(tagged).size(), 100000);
    const CMP3Info a(plain);
    const CMP3Info b(tagged);
    ASSERT_TRUE(b.HasFrames());
    EXPECT_EQ(b.GetFrameCount(), a.GetFrameCount());
    EXPECT_EQ(b.GetBitrate(), 96);

    // A second tag right behind the first, holding bytes that look like a
    // frame header: both are skipped.
    const QByteArray first =
        QByteArray("ID3\x03\x00\x00\x00\x00\x00\x0A", 10) + QByteArray(10, '\0');
    const QByteArray second =
        QByteArray("ID3\x03\x00\x00\x00\x00\x00\x14", 10) + QByteArray(20, '\xFF');
    const QString chained = PathOf("chained.mp3");
    ASSERT_TRUE(WriteAll(chained, first + second + ReadAll(plain)));
    const CMP3Info c(chained);
    ASSERT_TRUE(c.HasFrames());
    EXPECT_EQ(c.GetFrameCount(), a.GetFrameCount());
    EXPECT_EQ(c.GetBitrate(), 96);

    // However many tags are chained; a chain that only ends at the file's
    // end holds no frames.
    const QString many = PathOf("many.mp3");
    ASSERT_TRUE(WriteAll(many, first + second.repeated(16000) + ReadAll(plain)));
    const CMP3Info d(many);
    ASSERT_TRUE(d.HasFrames());
    EXPECT_EQ(d.GetFrameCount(), a.GetFrameCount());
    ASSERT_TRUE(WriteAll(many, first + second.repeated(16000)));
    EXPECT_FALSE(CMP3Info(many).HasFrames());
}

TEST(MP3Info, SearchReachesTenThousandBytes)
{
    const QString mp3 = MakeMp3("s.mp3", 44100, 0.5, {"-t", "-b", "128"});
    ASSERT_FALSE(mp3.isEmpty());
    const QByteArray frames = ReadAll(mp3);
    const int64_t count = CMP3Info(mp3).GetFrameCount();
    ASSERT_GT(count, 0);
    for (int lead : {10000, 10001}) {
        const QString path = PathOf(QString("lead%1.mp3").arg(lead));
        ASSERT_TRUE(WriteAll(path, QByteArray(lead, '\0') + frames));
        const CMP3Info info(path);
        EXPECT_EQ(info.GetFrameCount(), lead == 10000 ? count : 0) << lead;
    }
}

TEST(MP3Info, Id3v1Tags)
{
    const QString mp3 = MakeMp3("v1.mp3", 22050, 0.5, {"-t", "-b", "32"});
    ASSERT_FALSE(mp3.isEmpty());
    const QByteArray frames = ReadAll(mp3);
    const QByteArray gbkTitle = IconvGbk(QStringLiteral("我的彩铃"));

    ASSERT_TRUE(WriteAll(mp3, frames + Id3v1(gbkTitle, "Singer", false, 5, 17)));
    CMP3Info v11(mp3);
    EXPECT_EQ(v11.GetFlags(), CMP3Info::kHasFrames | CMP3Info::kHasId3v1);
    EXPECT_EQ(v11.GetTitle(), QStringLiteral("我的彩铃"));
    EXPECT_EQ(v11.GetArtist(), "Singer");
    EXPECT_EQ(v11.GetAlbum(), "Album");
    EXPECT_EQ(v11.GetYear(), "2008");
    EXPECT_EQ(v11.GetComment(), "note");
    EXPECT_EQ(v11.GetTrack(), 5);
    EXPECT_EQ(v11.GetGenre(), 17);

    ASSERT_TRUE(WriteAll(mp3, frames + Id3v1(QByteArray(30, 'T'), "Caf\xE9", true, 0, 17)));
    CMP3Info v10(mp3);
    EXPECT_EQ(v10.GetTitle(), QString(30, u'T'));
    EXPECT_EQ(v10.GetArtist(), QStringLiteral("Café"));
    EXPECT_EQ(v10.GetComment(), QString(30, u'c'));
    EXPECT_EQ(v10.GetTrack(), 0);
    EXPECT_EQ(v10.GetGenre(), 255);
}

TEST(MP3Info, BrokenFilesEndTheWalk)
{
    const QString mp3 = MakeMp3("b.mp3", 44100, 0.5, {"-t", "-b", "128"});
    ASSERT_FALSE(mp3.isEmpty());
    const QByteArray frames = ReadAll(mp3);
    std::mt19937 random(7);
    QByteArray noise(200000, '\0');
    for (char& b : noise)
        b = static_cast<char>(random());

    struct Case
    {
        const char* name;
        QByteArray bytes;
        int frames; // -1: either
    };
    const Case cases[] = {
        {"empty", QByteArray(), false},
        {"3 bytes", "\xFF\xFB\x90", false},
        {"one header", "\xFF\xFB\x90\x64", true},
        {"cut inside a frame", frames.left(1000), true},
        {"all 0xFF (rate index 3)", QByteArray(50000, '\xFF'), false},
        {"bad bitrate index", QByteArray("\xFF\xFB\xF0\x00", 4).repeated(5000), true},
        {"bad bitrate index, layer I, padded", QByteArray("\xFF\xFF\xF2\x00", 4).repeated(5000),
         true},
        {"free format", QByteArray("\xFF\xFB\x00\x00", 4).repeated(5000), true},
        {"reserved version", QByteArray("\xFF\xEB\x90\x64").repeated(100), false},
        {"reserved layer", QByteArray("\xFF\xF9\x90\x64").repeated(100), true},
        {"ID3v2 past the end", QByteArray("ID3\x03\x00\x00\x7F\x7F\x7F\x7F", 10) + frames, false},
        {"ID3v2 size not syncsafe", QByteArray("ID3\x03\x00\x00\x00\x00\x80\x00", 10) + frames,
         true},
        {"ID3v2 header only", QByteArray("ID3\x03\x00\x00\x00\x00\x00\x00", 10), false},
        {"random bytes", noise, -1},
        {"TAG only", "TAG", false},
    };
    for (const Case& c : cases) {
        const QString path = PathOf("broken.mp3");
        ASSERT_TRUE(WriteAll(path, c.bytes));
        CMP3Info info;
        EXPECT_EQ(info.Open(path), 1) << c.name;
        if (c.frames >= 0) {
            EXPECT_EQ(info.HasFrames(), c.frames == 1) << c.name;
        }
        EXPECT_LE(info.GetFrameCount(), std::max<qsizetype>(c.bytes.size() / 4, 1)) << c.name;
        EXPECT_GE(info.GetDuration(), 0) << c.name;
    }

    ASSERT_TRUE(MakeFifo(PathOf("fifo.mp3")));
    EXPECT_EQ(CMP3Info().Open(PathOf("fifo.mp3")), 0);
    EXPECT_EQ(CMP3Info().Open(QDir::tempPath()), 0);
    EXPECT_EQ(CMP3Info().Open(PathOf("missing.mp3")), 0);
    EXPECT_EQ(CMP3Info(QString()).GetPath(), QString());
}

} // namespace
