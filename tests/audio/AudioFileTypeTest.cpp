#include "audio/AudioFileType.h"
#include "tests/audio/EncodedFixtures.h"

#include <QDir>

#include <gtest/gtest.h>

#include <cstring>

using namespace EncodedFixtures;

namespace {

QByteArray Field(const char (&info)[kAudioFileInfoSize], size_t offset)
{
    return QByteArray(info + offset, static_cast<qsizetype>(strnlen(info + offset, 128)));
}

QString Copy(const QString& from, const QString& name)
{
    const QString path = PathOf(name);
    return WriteAll(path, ReadAll(from)) ? path : QString();
}

constexpr uint8_t kContentDescription[16] = {0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                             0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};

TEST(AudioFileType, RealFilesAreIdentified)
{
    const QString song = QStringLiteral("铃声标题");
    const QString singer = QStringLiteral("歌手");
    const QString mp3 =
        MakeMp3("song.MP3", 44100, 0.5, {"-b", "128", "--tt", "Song", "--ta", "Singer"});
    const QString bigTag = MakeMp3("big.mp3", 22050, 0.5,
                                   {"-b", "32", "--tt", "Big", "--ta", "Tagger", "--add-id3v2",
                                    "--pad-id3v2-size", "100000"});
    const QString v1Only =
        MakeMp3("v1.mp3", 22050, 0.5, {"-b", "32", "--id3v1-only", "--tt", "One", "--ta", "Old"});
    const QString untagged = MakeMp3("plain.mp3", 16000, 0.5, {"-t", "-b", "32"});
    const QString wav = MakeWav("tone.wav", 8000, 1, 0.2);
    const QString ogg = MakeOgg("tone.ogg");
    const QString wma = MakeAsf("bare.wma", {});
    const QString described =
        MakeAsf("described.wma", {"title=" + song, "author=" + singer, "copyright=zuvo"});
    for (const QString& path : {mp3, bigTag, v1Only, untagged, wav, ogg, wma, described})
        ASSERT_FALSE(path.isEmpty());

    QByteArray ring(282, '\0');
    ring[268] = 0x21;
    ring[273] = 1;
    ring.replace(274, 8, QByteArray("\x00\x01\x02\x03\x04\x05\x06\x07", 8));
    ring += ReadAll(wav);
    ASSERT_TRUE(WriteAll(PathOf("ring.bin"), ring));
    // Silence: sampled audio may hold bytes that look like MPEG frame headers,
    // and an ".mp3" name is tried for frames first.
    ASSERT_TRUE(RunTool("sox", {"-D", "-n", "-r", "8000", "-c", "1", "-b", "16", "-t", "wav",
                                PathOf("really-wav.mp3"), "trim", "0", "0.2"}));
    ASSERT_TRUE(WriteAll(PathOf("notes.txt"), "just some words\n"));
    ASSERT_TRUE(WriteAll(PathOf("empty.mp3"), QByteArray()));
    ASSERT_TRUE(MakeFifo(PathOf("fifo.mp3")));
    ASSERT_TRUE(MakeFifo(PathOf("fifo.wav")));
    ASSERT_TRUE(QDir().mkdir(PathOf("folder.mp3")));
    ASSERT_TRUE(QDir().mkdir(PathOf("folder.ogg")));

    struct Case
    {
        QString path;
        AudioFileType type;
        QByteArray title;
        QByteArray artist;
    };
    const Case cases[] = {
        {mp3, kAudioMp3, "Song", "Singer"}, // ".MP3": ID3 tags, then frames
        {bigTag, kAudioMp3, "Big", "Tagger"},
        {v1Only, kAudioMp3, "One", "Old"},
        {Copy(untagged, "really-mp3.wav"), kAudioMp3, "", ""},
        {Copy(v1Only, "really-mp3.dat"), kAudioMp3, "One", "Old"}, // ID3v1 after frames
        {wav, kAudioWave, "", ""},
        {PathOf("really-wav.mp3"), kAudioWave, "", ""},
        {ogg, kAudioOgg, "", ""},
        {wma, kAudioWindowsMedia, "", ""},
        {described, kAudioWindowsMedia, IconvGbk(song), IconvGbk(singer)},
        {PathOf("ring.bin"), kAudioRingContainer, "", ""},
        {PathOf("notes.txt"), kAudioUnknown, "", ""},
        {PathOf("empty.mp3"), kAudioUnknown, "", ""},
        {PathOf("x.mp3"), kAudioMp3Unreadable, "", ""},
        {PathOf("x.wav"), kAudioUnknown, "", ""},
        {PathOf("fifo.mp3"), kAudioMp3Unreadable, "", ""},
        {PathOf("fifo.wav"), kAudioUnknown, "", ""},
        {PathOf("folder.mp3"), kAudioMp3Unreadable, "", ""},
        {PathOf("folder.ogg"), kAudioUnknown, "", ""},
    };
    for (const Case& c : cases) {
        char info[kAudioFileInfoSize] = {};
        EXPECT_EQ(IdentifyAudioFile(c.path, info), c.type) << c.path;
        EXPECT_EQ(Field(info, kAudioInfoTitle), c.title) << c.path;
        EXPECT_EQ(Field(info, kAudioInfoArtist), c.artist) << c.path;
    }
}

TEST(AudioFileType, LongTitlesAreCutToWholeCharactersWithin127Bytes)
{
    const QString title = QString(100, QChar(0x94C3)); // 100 x "铃", 200 GBK bytes
    const QString wma = MakeAsf("long.wma", {"title=" + title, "author=" + QString(200, u'a')});
    ASSERT_FALSE(wma.isEmpty());
    char info[kAudioFileInfoSize] = {};
    ASSERT_EQ(IdentifyAudioFile(wma, info), kAudioWindowsMedia);
    EXPECT_EQ(Field(info, kAudioInfoTitle), IconvGbk(title.left(63)));
    EXPECT_EQ(Field(info, kAudioInfoArtist), QByteArray(127, 'a'));
}

TEST(AudioFileType, BrokenAsfHeadersEndTheWalk)
{
    const QString wma = MakeAsf("source.wma", {"title=Title", "author=Author"});
    ASSERT_FALSE(wma.isEmpty());
    const QByteArray good = ReadAll(wma);
    const qsizetype cdo =
        good.indexOf(QByteArray(reinterpret_cast<const char*>(kContentDescription), 16));
    ASSERT_GT(cdo, 30);
    const auto sized = [&](qsizetype at, uint64_t size) {
        QByteArray bytes = good;
        for (int i = 0; i < 8; ++i)
            bytes[at + 16 + i] = static_cast<char>(size >> (8 * i));
        return bytes;
    };
    const auto titleLength = [&](uint16_t length) {
        QByteArray bytes = good;
        bytes[cdo + 24] = static_cast<char>(length & 0xFF);
        bytes[cdo + 25] = static_cast<char>(length >> 8);
        return bytes;
    };
    QByteArray headObjects = good.left(30);
    for (int i = 0; i < 5000; ++i)
        headObjects += sized(30, 24).mid(30, 24);

    struct Case
    {
        const char* name;
        QByteArray bytes;
        QByteArray title;
    };
    const Case cases[] = {
        {"intact", good, "Title"},
        {"first object size 0", sized(30, 0), ""},
        {"first object size 23", sized(30, 23), ""},
        {"first object past the end", sized(30, good.size()), ""},
        {"first object size wraps", sized(30, 0xFFFFFFFFFFFFFFF0ull), ""},
        {"description size 0", sized(cdo, 0), ""},
        {"description size 30", sized(cdo, 30), ""},
        {"description past the end", sized(cdo, 1ull << 40), "Title"},
        {"title longer than the object", titleLength(0xFFFF), "Title"},
        {"title length 0", titleLength(0), ""},
        {"cut in the description", good.left(cdo + 40), "Tit"},
        {"cut before the description", good.left(cdo + 10), ""},
        {"cut in the first object", good.left(40), ""},
        {"header object head only", good.left(30), ""},
        {"GUID only", good.left(16), ""},
        {"many empty objects", headObjects, ""},
    };
    for (const Case& c : cases) {
        const QString path = PathOf("broken.wma");
        ASSERT_TRUE(WriteAll(path, c.bytes));
        char info[kAudioFileInfoSize] = {};
        EXPECT_EQ(IdentifyAudioFile(path, info), kAudioWindowsMedia) << c.name;
        EXPECT_EQ(info[127], 0) << c.name;
        EXPECT_EQ(info[255], 0) << c.name;
        EXPECT_EQ(Field(info, kAudioInfoTitle), c.title) << c.name;
    }
}

} // namespace
