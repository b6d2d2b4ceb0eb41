#include "voice/SniffAudioFile.h"
#include "tests/audio/EncodedFixtures.h"

#include <QDir>

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace EncodedFixtures;

namespace {

QByteArray Field(const char (&info)[kAudioFileInfoSize], size_t offset)
{
    return QByteArray(info + offset, static_cast<qsizetype>(strnlen(info + offset, 128)));
}

TEST(SniffAudioFile, FilesMadeByRealToolsGetKelvosCodes)
{
    const QString song = QStringLiteral("铃声标题");
    const QString singer = QStringLiteral("歌手");
    const QString mp3 =
        MakeMp3("song.MP3", 44100, 0.5, {"-b", "128", "--tt", "Song", "--ta", "Singer"});
    const QString v1Only =
        MakeMp3("v1.mp3", 22050, 0.5, {"-b", "32", "--id3v1-only", "--tt", "One", "--ta", "Old"});
    const QString wav = MakeWav("tone.wav", 8000, 1, 0.2);
    const QString ogg = MakeOgg("tone.ogg");
    const QString bare = MakeAsf("bare.wma", {});
    const QString described = MakeAsf("described.wma", {"title=" + song, "author=" + singer});
    for (const QString& path : {mp3, v1Only, wav, ogg, bare, described})
        ASSERT_FALSE(path.isEmpty());
    // A ring container is only known by its name here.
    ASSERT_TRUE(WriteAll(PathOf("ring.kox"), RingContainer(ReadAll(wav), 0x21, 1)));
    ASSERT_TRUE(WriteAll(PathOf("ring.bin"), RingContainer(ReadAll(wav), 0x21, 1)));
    ASSERT_TRUE(RunTool("sox", {"-D", "-n", "-r", "8000", "-c", "1", "-b", "16", "-t", "wav",
                                PathOf("really-wav.MP3"), "trim", "0", "0.2"}));
    QByteArray noise(4096, '\0');
    std::mt19937 random(20);
    for (char& byte : noise)
        byte = static_cast<char>(random() & 0x7F); // no byte can start an MPEG frame
    ASSERT_TRUE(WriteAll(PathOf("noise.bin"), noise));
    ASSERT_TRUE(WriteAll(PathOf("copy.dat"), ReadAll(v1Only)));
    ASSERT_TRUE(QDir().mkdir(PathOf("folder.mp3")));

    struct Case
    {
        QString path;
        SniffedAudioType type;
        QByteArray title;
        QByteArray artist;
    };
    const Case cases[] = {
        {mp3, kSniffMp3, "Song", "Singer"},
        {PathOf("really-wav.MP3"), kSniffWave, "", ""},
        {PathOf("copy.dat"), kSniffMp3, "One", "Old"},
        {wav, kSniffWave, "", ""},
        {ogg, kSniffOgg, "", ""},
        {bare, kSniffWindowsMedia, "", ""},
        {described, kSniffWindowsMedia, IconvGbk(song), IconvGbk(singer)},
        {PathOf("ring.kox"), kSniffRing, "", ""},
        {PathOf("missing.KOX"), kSniffRing, "", ""},
        {PathOf("ring.bin"), kSniffUnknown, "", ""},
        {PathOf("noise.bin"), kSniffUnknown, "", ""},
        {PathOf("missing.mp3"), kSniffCannotOpen, "", ""},
        {PathOf("folder.mp3"), kSniffCannotOpen, "", ""},
        {PathOf("missing.wav"), kSniffCannotOpen, "", ""},
    };
    for (const Case& c : cases) {
        char info[kAudioFileInfoSize] = {};
        EXPECT_EQ(SniffAudioFile(c.path, info), c.type) << c.path;
        EXPECT_EQ(Field(info, kAudioInfoTitle), c.title) << c.path;
        EXPECT_EQ(Field(info, kAudioInfoArtist), c.artist) << c.path;
    }
}

TEST(SniffAudioFile, AsfWalkEndsOnBrokenObjects)
{
    const QString wma = MakeAsf("source.wma", {"title=Title"});
    ASSERT_FALSE(wma.isEmpty());
    const QByteArray good = ReadAll(wma);
    QByteArray zeroSize = good;
    std::memset(zeroSize.data() + 30 + 16, 0, 8); // first child claims 0 bytes
    QByteArray huge = good;
    std::memset(huge.data() + 30 + 16, 0xFF, 8);
    const QByteArray cut = good.left(40);
    for (const QByteArray& bytes : {zeroSize, huge, cut}) {
        ASSERT_TRUE(WriteAll(PathOf("broken.wma"), bytes));
        char info[kAudioFileInfoSize] = {};
        EXPECT_EQ(SniffAudioFile(PathOf("broken.wma"), info), kSniffWindowsMedia);
    }
}

} // namespace
