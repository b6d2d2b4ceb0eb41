#include "audio/AudioFileType.h"
#include "audio/Id3TagInfo.h"
#include "audio/MP3Info.h"
#include "tests/audio/EncodedFixtures.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

using namespace EncodedFixtures;

namespace {

// An independent reader of the ID3v2.3/2.4 frames at a file's start: prints
// [[frame id, payload as hex], ...] as JSON.
const char* const kFrameLister = R"(
import json, sys
data = open(sys.argv[1], 'rb').read()
frames = []
if data[:3] == b'ID3':
    major = data[3]
    size = 0
    for b in data[6:10]:
        size = (size << 7) | (b & 0x7F)
    pos, end = 10, 10 + size
    while pos + 10 <= end and data[pos:pos + 4] != b'\0\0\0\0':
        raw = data[pos + 4:pos + 8]
        if major >= 4:
            length = 0
            for b in raw:
                length = (length << 7) | (b & 0x7F)
        else:
            length = int.from_bytes(raw, 'big')
        frames.append([data[pos:pos + 4].decode('latin-1'),
                       data[pos + 10:pos + 10 + length].hex()])
        pos += 10 + length
print(json.dumps(frames))
)";

using FrameList = std::vector<std::pair<QString, QByteArray>>;

FrameList ListFrames(const QString& path)
{
    const QString script = PathOf("frames.py");
    WriteAll(script, kFrameLister);
    QByteArray out;
    FrameList frames;
    // Debian's own interpreter: a version manager's shim would start slowly.
    const QString python = QFile::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
    if (!RunTool(python, {script, path}, &out))
        return frames;
    for (const QJsonValue& frame : QJsonDocument::fromJson(out).array())
        frames.emplace_back(frame[0].toString(),
                            QByteArray::fromHex(frame[1].toString().toLatin1()));
    return frames;
}

// The payloads of every frame with this id.
std::vector<QByteArray> Payloads(const FrameList& frames, const QString& id)
{
    std::vector<QByteArray> payloads;
    for (const auto& [frameId, payload] : frames)
        if (frameId == id)
            payloads.push_back(payload);
    return payloads;
}

// An ISO-8859-1 text frame's payload: encoding byte 0, then the bytes. id3lib
// may end the text with a NUL, which is no part of it.
QByteArray TextOf(QByteArray payload)
{
    if (payload.startsWith('\0'))
        payload.remove(0, 1);
    while (payload.endsWith('\0'))
        payload.chop(1);
    return payload;
}

QByteArray Syncsafe(uint32_t size)
{
    QByteArray bytes(4, '\0');
    for (int i = 3; i >= 0; --i, size >>= 7)
        bytes[i] = static_cast<char>(size & 0x7F);
    return bytes;
}

QByteArray BigEndian(uint32_t value)
{
    QByteArray bytes(4, '\0');
    for (int i = 3; i >= 0; --i, value >>= 8)
        bytes[i] = static_cast<char>(value & 0xFF);
    return bytes;
}

// An ID3v2.3 frame; the declared size may lie.
QByteArray Frame(const char* id, const QByteArray& payload, int64_t declared = -1)
{
    return QByteArray(id, 4) + BigEndian(declared < 0 ? payload.size() : uint32_t(declared)) +
           QByteArray(2, '\0') + payload;
}

QByteArray Tag(const QByteArray& body, uint8_t major = 3, uint8_t flags = 0, int64_t size = -1)
{
    return QByteArray("ID3") + char(major) + '\0' + char(flags) +
           Syncsafe(size < 0 ? body.size() : uint32_t(size)) + body;
}

int64_t ProbedPackets(const QString& path)
{
    QByteArray out;
    if (!RunTool("ffprobe",
                 {"-v", "error", "-select_streams", "a:0", "-count_packets", "-show_entries",
                  "stream=nb_read_packets", "-of", "csv=p=0", path},
                 &out))
        return -1;
    return out.trimmed().toLongLong();
}

// Python's own reading of the text frames and comments of a version 2.3
// tag: {frame id: text}, the first frame of each id, decoded by the frame's
// encoding byte (a UTF-16 string must start with its byte-order mark, the
// comment's description included).
const char* const kTextReader = R"(
import json, sys
data = open(sys.argv[1], 'rb').read()
size = 0
for b in data[6:10]:
    size = (size << 7) | (b & 0x7F)
pos, end, texts = 10, 10 + size, {}
def utf16(raw):
    if raw[:2] not in (b'\xff\xfe', b'\xfe\xff'):
        raise ValueError('no byte-order mark')
    return raw.decode('utf-16')
while pos + 10 <= end and data[pos] != 0:
    fid = data[pos:pos + 4].decode('latin-1')
    length = int.from_bytes(data[pos + 4:pos + 8], 'big')
    payload = data[pos + 10:pos + 10 + length]
    pos += 10 + length
    if fid in texts or not (fid[0] == 'T' or fid == 'COMM'):
        continue
    encoding, body = payload[0], payload[1:]
    if fid == 'COMM':
        body = body[3:]
        if encoding == 1:
            i = 0
            while i < len(body) and body[i:i + 2] != b'\0\0':
                i += 2
            description, body = body[:i], body[i + 2:]
            fid += ':' + (utf16(description) if description else '<no BOM>')
        else:
            i = body.index(b'\0')
            fid += ':' + body[:i].decode('latin-1')
            body = body[i + 1:]
    if encoding == 1:
        while len(body) >= 2 and len(body) % 2 == 0 and body[-2:] == b'\0\0':
            body = body[:-2]
        text = utf16(body)
    else:
        text = body.decode('latin-1')
    texts[fid] = [encoding, text.rstrip('\0')]
print(json.dumps(texts))
)";

// {frame id: [encoding, text]} of the file's ID3v2 tag, as Python reads it.
QJsonObject PythonTexts(const QString& path)
{
    const QString script = PathOf("texts.py");
    WriteAll(script, kTextReader);
    QByteArray out;
    const QString python = QFile::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
    if (!RunTool(python, {script, path}, &out))
        return QJsonObject();
    return QJsonDocument::fromJson(out).object();
}

TEST(Id3TagInfo, ChineseTextsReadAsTypedInTheTools)
{
    const QString path = MakeMp3("tags.mp3", 44100, 1.0, {"-b", "128"});
    ASSERT_FALSE(path.isEmpty());
    const int64_t packets = ProbedPackets(path);

    const QString title = QStringLiteral("新歌曲标题·周末");
    const QString artist = QStringLiteral("歌手甲");
    const QString album = QStringLiteral("专辑：春天");
    const QString comment = QStringLiteral("注释，第一行");
    Id3TagInfo tags;
    ASSERT_TRUE(tags.Read(path));
    tags.SetTitle(title);
    tags.SetArtist(artist);
    tags.SetAlbum(album);
    tags.SetComment(comment);
    tags.SetYear("2008");
    tags.SetGenre("Blues");
    tags.SetCopyright(QStringLiteral("版权所有"));
    tags.SetCopyright(QStringLiteral("版权所有 2008"));
    EXPECT_EQ(tags.Update(), 3) << "both kinds written";

    // A second round replaces, never adds, and keeps what it did not set.
    Id3TagInfo again;
    ASSERT_TRUE(again.Read(path));
    EXPECT_EQ(again.GetCopyright(), QStringLiteral("版权所有 2008"));
    again.SetTitle(title);
    again.SetCopyright(QStringLiteral("版权所有 2009"));
    EXPECT_NE(again.Update(), 0);
    const QString copyright = QStringLiteral("版权所有 2009");

    // Python: Chinese text in UTF-16 frames with a byte-order mark, ASCII as
    // ISO-8859-1, one frame of each kind.
    const QJsonObject texts = PythonTexts(path);
    const auto expect = [&](const char* id, int encoding, const QString& text) {
        const QJsonArray frame = texts.value(QLatin1String(id)).toArray();
        EXPECT_EQ(frame.at(0).toInt(-1), encoding) << id;
        EXPECT_EQ(frame.at(1).toString(), text) << id;
    };
    expect("TIT2", 1, title);
    expect("TPE1", 1, artist);
    expect("TALB", 1, album);
    expect("COMM:", 1, comment);
    expect("TCOP", 1, copyright);
    expect("TYER", 0, "2008");
    expect("TCON", 0, "Blues");
    const FrameList frames = ListFrames(path);
    EXPECT_EQ(Payloads(frames, "TIT2").size(), 1u);
    EXPECT_EQ(Payloads(frames, "TCOP").size(), 1u);
    EXPECT_EQ(Payloads(frames, "COMM").size(), 1u);

    // FFmpeg.
    QByteArray probe;
    ASSERT_TRUE(RunTool(
        "ffprobe", {"-v", "error", "-show_entries", "format_tags", "-of", "json", path}, &probe));
    const QJsonObject probed = QJsonDocument::fromJson(probe)
                                   .object()
                                   .value("format")
                                   .toObject()
                                   .value("tags")
                                   .toObject();
    EXPECT_EQ(probed.value("title").toString(), title) << probe;
    EXPECT_EQ(probed.value("artist").toString(), artist);
    EXPECT_EQ(probed.value("album").toString(), album);
    EXPECT_EQ(probed.value("comment").toString(), comment);
    EXPECT_EQ(probed.value("copyright").toString(), copyright);
    EXPECT_EQ(probed.value("genre").toString(), "Blues");

    // id3lib's own command-line tool.
    QByteArray listing;
    ASSERT_TRUE(RunTool("id3v2", {"-l", path}, &listing));
    // Its ID3v1 lines are GBK: only the ID3v2 lines are read as UTF-8.
    const std::pair<const char*, QString> listed[] = {{"TIT2", title},
                                                      {"TPE1", artist},
                                                      {"TALB", album},
                                                      {"COMM", comment},
                                                      {"TCOP", copyright}};
    for (const auto& [id, text] : listed) {
        QString line;
        for (const QByteArray& bytes : listing.split('\n'))
            if (bytes.startsWith(id))
                line = QString::fromUtf8(bytes);
        EXPECT_TRUE(line.endsWith(": " + text)) << id << ": " << qPrintable(line);
    }

    // Our own reading.
    Id3TagInfo read;
    ASSERT_TRUE(read.Read(path));
    EXPECT_EQ(read.GetTitle(), title);
    EXPECT_EQ(read.GetArtist(), artist);
    EXPECT_EQ(read.GetAlbum(), album);
    EXPECT_EQ(read.GetComment(), comment);
    EXPECT_EQ(read.GetYear(), "2008");
    EXPECT_EQ(read.GetGenre(), "Blues");
    EXPECT_EQ(read.GetCopyright(), copyright);

    // The audio is untouched; the ID3v1 block holds GBK bytes (cut at a
    // character's end to its 30-byte fields) and the genre's number.
    EXPECT_EQ(ProbedPackets(path), packets);
    const QByteArray v1 = ReadAll(path).right(128);
    ASSERT_TRUE(v1.startsWith("TAG"));
    EXPECT_EQ(v1.mid(3, 30), IconvGbk(title).leftJustified(30, '\0'));
    EXPECT_EQ(v1.mid(33, 30), IconvGbk(artist).leftJustified(30, '\0'));
    EXPECT_EQ(uint8_t(v1.at(127)), 0) << "Blues is genre 0";
    const CMP3Info info(path);
    EXPECT_TRUE(info.HasFrames());
    EXPECT_TRUE(info.HasId3v1());
    EXPECT_EQ(info.GetTitle(), title);
    EXPECT_EQ(info.GetAlbum(), album);
    EXPECT_EQ(info.GetGenre(), 0);
}

TEST(Id3TagInfo, TheId3v1BlockCutsAtACharacterAndNumbersTheGenre)
{
    const QString path = MakeMp3("v1.mp3", 22050, 0.5, {"-t", "-b", "32"});
    ASSERT_FALSE(path.isEmpty());
    // "A" and 16 Chinese characters are 33 GBK bytes: 29 of them fit the
    // 30-byte field, never half a character.
    const QString title = "A" + QString(16, QChar(0x6B4C));
    const struct
    {
        const char* genre;
        int number;
    } cases[] = {
        {"Synthpop", 147}, {"pop", 13}, {"ProgessiveRock", 92}, {"Ska", 21}, {"我的流派", 255}};
    for (const auto& c : cases) {
        Id3TagInfo tags;
        ASSERT_TRUE(tags.Read(path));
        tags.SetTitle(title);
        tags.SetGenre(QString::fromUtf8(c.genre));
        ASSERT_EQ(tags.Update(), 3);
        const QByteArray v1 = ReadAll(path).right(128);
        EXPECT_EQ(uint8_t(v1.at(127)), c.number) << c.genre;
        EXPECT_EQ(v1.mid(3, 30), IconvGbk(title.left(15)) + '\0') << c.genre;
        EXPECT_EQ(CMP3Info(path).GetTitle(), title.left(15)) << c.genre;
        Id3TagInfo read;
        ASSERT_TRUE(read.Read(path));
        EXPECT_EQ(read.GetGenre(), QString::fromUtf8(c.genre)) << "the ID3v2 tag names it";
        EXPECT_EQ(read.GetTitle(), title);
    }
    EXPECT_EQ(Id3TagInfo::Genres().size(), 148);
}

TEST(Id3TagInfo, CopyrightLeavesExactlyOneFrameUnlessEmpty)
{
    const QString mp3 = MakeMp3("c.mp3", 22050, 0.5, {"-t", "-b", "32"});
    ASSERT_FALSE(mp3.isEmpty());
    const QByteArray audio = ReadAll(mp3);
    const QByteArray body = Frame("TCOP", QByteArray("\0one", 4)) +
                            Frame("TCOP", QByteArray("\0two", 4)) +
                            Frame("TIT2", QByteArray("\0Caf\xE9", 5)) + QByteArray(64, '\0');
    ASSERT_TRUE(WriteAll(mp3, Tag(body) + audio));
    ASSERT_EQ(Payloads(ListFrames(mp3), "TCOP").size(), 2u);

    Id3TagInfo tags;
    ASSERT_TRUE(tags.Read(mp3));
    EXPECT_EQ(tags.GetTitle(), QStringLiteral("Café")) << "not GBK: shown as Latin-1";
    EXPECT_EQ(tags.GetCopyright(), "one");
    tags.SetCopyright(QString());
    tags.Update();
    EXPECT_EQ(Payloads(ListFrames(mp3), "TCOP").size(), 2u);

    tags.SetCopyright("three");
    EXPECT_NE(tags.Update(), 0);
    const std::vector<QByteArray> left = Payloads(ListFrames(mp3), "TCOP");
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(TextOf(left[0]), "three");
}

TEST(Id3TagInfo, BrokenTagsAreReadWithoutHarm)
{
    const QString mp3 = MakeMp3("b.mp3", 22050, 0.5, {"-t", "-b", "32"});
    ASSERT_FALSE(mp3.isEmpty());
    const QByteArray audio = ReadAll(mp3);
    std::mt19937 random(11);
    QByteArray noise(3000, '\0');
    for (char& b : noise)
        b = static_cast<char>(random());
    const QByteArray title = Frame("TIT2", QByteArray("\0Title", 6));
    ASSERT_TRUE(WriteAll(mp3, Tag(title) + audio));
    Id3TagInfo sound;
    ASSERT_TRUE(sound.Read(mp3));
    EXPECT_EQ(sound.GetTitle(), "Title");

    struct Case
    {
        const char* name;
        QByteArray bytes;
        bool read; // false: refused as broken
    };
    const Case cases[] = {
        {"tag size past the end", Tag(title, 3, 0, 0x0FFFFFFF) + audio, false},
        {"tag size zero", Tag(title, 3, 0, 0) + audio, false},
        {"frame size past the tag", Tag(Frame("TIT2", QByteArray("\0Title", 6), 5000)) + audio,
         false},
        {"frame size near 4 GiB", Tag(Frame("TIT2", QByteArray("\0Title", 6), 0xFFFFFFF0)) + audio,
         false},
        {"empty text frame", Tag(Frame("TIT2", QByteArray()) + title) + audio, false},
        {"cut inside the tag", Tag(title + title + title).left(25), false},
        {"random frames", Tag(noise) + audio, false},
        {"random frames, unsynchronised", Tag(noise, 3, 0x80) + audio, false},
        {"bad extended header", Tag(BigEndian(0x7FFFFFFF) + title, 3, 0x40) + audio, false},
        {"version 2.4 random", Tag(noise, 4, 0x10) + audio, false},
        {"version 2.2 random", Tag(noise, 2) + audio, false},
        // id3lib reads past the end of its own field table for this frame.
        {"version 2.2 compressed-data frame",
         Tag(QByteArray("CDM\0\0\x06", 6) + QByteArray("\0\0T\0\0\0", 6), 2) + audio, false},
        {"version 5", Tag(title, 5) + audio, false},
        {"compressed frame",
         Tag(QByteArray("TIT2") + BigEndian(20) + QByteArray("\x00\x80", 2) +
             BigEndian(0x7FFFFFFF) + noise.left(16)) +
             audio,
         false},
        {"encrypted frame",
         Tag(QByteArray("TIT2") + BigEndian(6) + QByteArray("\x00\x40", 2) +
             QByteArray("\0Title", 6)) +
             audio,
         false},
        {"UTF-16 text, odd size", Tag(Frame("TIT2", QByteArray("\x01\xFF\xFE\x41", 4))) + audio,
         false},
        // id3lib loops for ever on a list of strings that ends half a unit in.
        {"UTF-16 people list, odd size",
         Tag(Frame("IPLS", QByteArray("\x01"
                                      "ab\0",
                                      4))) +
             audio,
         false},
        {"UTF-16 people list",
         Tag(Frame("IPLS", QByteArray("\x01\xFF\xFE"
                                      "a\0\0\0",
                                      7))) +
             audio,
         true},
        // What id3lib reads with undefined behaviour: a tag without frames,
        // a cut frame header, text encodings the version does not define.
        {"12-byte empty tag", Tag(QByteArray(2, '\0')) + audio, false},
        {"4-byte frame header", Tag(QByteArray("TIT2")) + audio, false},
        {"frame after the padding", Tag(QByteArray(12, '\0') + title) + audio, false},
        {"text encoding 5", Tag(Frame("TIT2", QByteArray("\x05Title", 6))) + audio, false},
        {"UTF-8 in version 2.3", Tag(Frame("TIT2", QByteArray("\x03Title", 6))) + audio, false},
        {"comment encoding 0xFF",
         Tag(Frame("COMM", QByteArray("\xFF"
                                      "engx\0y",
                                      7))) +
             audio,
         false},
        {"comment without language", Tag(Frame("COMM", QByteArray("\0en", 3))) + audio, false},
        {"ID3v1 only", audio + QByteArray("TAG") + noise.left(125), true},
        {"header only", QByteArray("ID3"), false},
        {"random bytes", noise, true},
        {"empty", QByteArray(), true},
    };
    for (const Case& c : cases) {
        const QString path = PathOf("broken.mp3");
        ASSERT_TRUE(WriteAll(path, c.bytes));
        Id3TagInfo tags;
        EXPECT_EQ(tags.Read(path), c.read) << c.name;
        EXPECT_LE(tags.GetTitle().size(), c.bytes.size()) << c.name;
    }

    ASSERT_TRUE(MakeFifo(PathOf("fifo.mp3")));
    Id3TagInfo tags;
    EXPECT_FALSE(tags.Read(PathOf("fifo.mp3")));
    EXPECT_FALSE(tags.Read(PathOf("missing.mp3")));
    tags.SetTitle("x");
    EXPECT_EQ(tags.Update(), 0) << "nothing linked";
    EXPECT_FALSE(QFile::exists(PathOf("missing.mp3")));
}

TEST(Id3TagInfo, EveryChainedTagIsCheckedBeforeId3libSeesIt)
{
    const QString mp3 = MakeMp3("chain.mp3", 22050, 0.5, {"-t", "-b", "32"});
    ASSERT_FALSE(mp3.isEmpty());
    const QByteArray audio = ReadAll(mp3);
    const QByteArray first = Tag(Frame("TIT2", QByteArray("\0First", 6)));
    const QByteArray artist = Frame("TPE1", QByteArray("\0Second", 7));

    // id3lib reads a tag that follows the first one as part of it.
    const QString path = PathOf("chain-ok.mp3");
    ASSERT_TRUE(WriteAll(path, first + Tag(artist) + audio));
    Id3TagInfo sound;
    ASSERT_TRUE(sound.Read(path));
    EXPECT_EQ(sound.GetTitle(), "First");
    EXPECT_EQ(sound.GetArtist(), "Second");

    struct Case
    {
        const char* name;
        QByteArray second;
    };
    const Case cases[] = {
        // Compressed: a claimed size of 2 GiB and no zlib stream behind it.
        {"compressed frame", Tag(QByteArray("TPE1") + BigEndian(20) + QByteArray("\x00\x80", 2) +
                                 BigEndian(0x7FFFFFFF) + QByteArray(16, 'x'))},
        {"frame size near 4 GiB", Tag(Frame("TPE1", QByteArray("\0abc", 4), 0xFFFFFFF0))},
        {"tag past the end", Tag(artist, 3, 0, 0x0FFFFFFF)},
        {"version 9", Tag(artist, 9)},
        {"empty tag", Tag(QByteArray(2, '\0'))},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteAll(path, first + c.second + audio));
        Id3TagInfo tags;
        EXPECT_FALSE(tags.Read(path)) << c.name;
        EXPECT_TRUE(tags.GetTitle().isEmpty()) << c.name << ": opens without its tag text";
        // Identification reads the tags the same way: no title, no crash.
        char info[kAudioFileInfoSize] = {};
        IdentifyAudioFile(path, info);
        EXPECT_EQ(info[kAudioInfoTitle], '\0') << c.name;
    }

    // The walk works on a buffer and says how much more it needs.
    const QByteArray twoTags = first + Tag(artist);
    const auto* bytes = reinterpret_cast<const uint8_t*>(twoTags.constData());
    const Id3v2Walk cut = WalkLeadingId3v2(bytes, first.size() + 5, twoTags.size() + 100);
    EXPECT_FALSE(cut.sound);
    EXPECT_EQ(cut.needed, uint64_t(first.size() + 10));
    const Id3v2Walk whole = WalkLeadingId3v2(bytes, twoTags.size(), twoTags.size());
    EXPECT_TRUE(whole.sound);
    EXPECT_EQ(whole.tagBytes, uint64_t(twoTags.size()));
    // Given more bytes, a cut walk goes on behind the tag it accepted.
    EXPECT_EQ(cut.tagBytes, uint64_t(first.size()));
    const Id3v2Walk resumed = WalkLeadingId3v2(bytes, twoTags.size(), twoTags.size(), cut);
    EXPECT_TRUE(resumed.sound);
    EXPECT_EQ(resumed.tagBytes, uint64_t(twoTags.size()));
}

// Chained tags are walked once (a walk that started again at byte 0 for
// every tag took seconds for 16000), and id3lib, which reads a chain as one
// tag in time that grows with the square of its frames, gets at most
// kMaxId3v2Frames of them: 16000 small tags, or one tag of as many frames,
// are refused. Timed in bench/hostile-inputs.sh.
TEST(Id3TagInfo, ALongChainOfTagsIsReadOrRefusedWhole)
{
    const QByteArray audio = ReadAll(MakeMp3("long.mp3", 22050, 0.3, {"-t", "-b", "32"}));
    ASSERT_FALSE(audio.isEmpty());
    const QByteArray artist = Frame("TPE1", QByteArray("\0Other", 6));
    QByteArray chain = Tag(Frame("TIT2", QByteArray("\0First", 6)));
    for (uint64_t i = 1; i < kMaxId3v2Frames; ++i)
        chain += Tag(artist);
    const QString path = PathOf("chain.mp3");
    ASSERT_TRUE(WriteAll(path, chain + audio));
    Id3TagInfo tags;
    ASSERT_TRUE(tags.Read(path));
    EXPECT_EQ(tags.GetTitle(), "First");

    QByteArray longer = chain;
    for (int i = 0; i < 16000 - int(kMaxId3v2Frames); ++i)
        longer += Tag(artist);
    QByteArray frames;
    for (int i = 0; i < 16000; ++i)
        frames += artist;
    const QByteArray refusedFiles[] = {
        longer + audio,
        chain + Tag(artist, 9) + audio,
        Tag(frames) + audio,
    };
    for (const QByteArray& bytes : refusedFiles) {
        ASSERT_TRUE(WriteAll(path, bytes));
        Id3TagInfo refused;
        EXPECT_FALSE(refused.Read(path));
        EXPECT_TRUE(refused.GetTitle().isEmpty());
    }

    // Walked in pieces, each walk going on from the last, as Read does.
    const QByteArray bytes = chain + audio;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
    Id3v2Walk walk;
    size_t available = 100;
    int walks = 0;
    for (; walks < 100000; ++walks) {
        walk = WalkLeadingId3v2(data, available, bytes.size(), walk);
        if (walk.sound || walk.needed == 0)
            break;
        available = std::max<size_t>(walk.needed, available + 7);
    }
    EXPECT_TRUE(walk.sound);
    EXPECT_EQ(walk.tagBytes, uint64_t(chain.size()));
}

// Comments whose description is UTF-16, as lame writes every comment that is
// not Latin-1 (an empty UTF-16 description), and a very long one.
TEST(Id3TagInfo, CommentsWithUnicodeDescriptionsReadAndReplace)
{
    const QString path =
        MakeMp3("comm.mp3", 22050, 0.5, {"-t", "-b", "32", "--id3v2-only", "--tc", "注释甲"});
    ASSERT_FALSE(path.isEmpty());
    const std::vector<QByteArray> written = Payloads(ListFrames(path), "COMM");
    ASSERT_EQ(written.size(), 1u);
    ASSERT_EQ(written[0].at(0), '\x01') << "lame wrote UTF-16";

    Id3TagInfo tags;
    ASSERT_TRUE(tags.Read(path));
    EXPECT_EQ(tags.GetComment(), QStringLiteral("注释甲"));
    tags.SetComment(QStringLiteral("注释乙"));
    ASSERT_NE(tags.Update(), 0);
    const std::vector<QByteArray> replaced = Payloads(ListFrames(path), "COMM");
    ASSERT_EQ(replaced.size(), 1u) << "the comment without a description was replaced";
    EXPECT_EQ(PythonTexts(path).value("COMM:").toArray().at(1).toString(),
              QStringLiteral("注释乙"));

    // A 100000-character UTF-16 description beside a plain comment.
    QByteArray description("\x01"
                           "eng\xFF\xFE");
    for (int i = 0; i < 100000; ++i)
        description += QByteArray("\x2D\x4E", 2);
    const QByteArray audio = ReadAll(MakeMp3("c.mp3", 22050, 0.3, {"-t", "-b", "32"}));
    ASSERT_TRUE(
        WriteAll(path, Tag(Frame("COMM", description + QByteArray("\0\0\xFF\xFE\x41\0", 6)) +
                           Frame("COMM", QByteArray("\0eng\0plain", 10))) +
                           audio));
    Id3TagInfo longer;
    ASSERT_TRUE(longer.Read(path));
    EXPECT_EQ(longer.GetComment(), "A");
    longer.SetComment("new");
    ASSERT_NE(longer.Update(), 0);
    const std::vector<QByteArray> left = Payloads(ListFrames(path), "COMM");
    ASSERT_EQ(left.size(), 2u) << "the described comment stays, the plain one is replaced";
    EXPECT_EQ(TextOf(left[1].mid(4)), "new");
    // The ID3v1 block takes the comment without a description.
    const QByteArray v1 = ReadAll(path).right(128);
    ASSERT_TRUE(v1.startsWith("TAG"));
    EXPECT_EQ(v1.mid(97, 3), "new");

    // A short UTF-16 description and nothing else: the ID3v1 block is written
    // with the new comment, the described one stays in the ID3v2 tag.
    ASSERT_TRUE(WriteAll(path, Tag(Frame("COMM", QByteArray("\x01"
                                                            "eng\xFF\xFE"
                                                            "d\0\0\0",
                                                            10))) +
                                   audio));
    Id3TagInfo shortDescription;
    ASSERT_TRUE(shortDescription.Read(path));
    shortDescription.SetComment("v1");
    EXPECT_EQ(shortDescription.Update(), 3) << "both kinds written";
    EXPECT_EQ(Payloads(ListFrames(path), "COMM").size(), 2u);
    EXPECT_EQ(ReadAll(path).right(128).mid(97, 2), "v1");
}

// Text as the file holds it: UTF-16 in either byte order, version 2.4 UTF-8
// (long frames included), GBK bytes in ISO-8859-1 frames of every version.
TEST(Id3TagInfo, UnicodeFramesReadAsTheTextTheyHold)
{
    const QString title = QStringLiteral("中文标题");
    const QString lame =
        MakeMp3("u16.mp3", 22050, 0.5,
                {"-t", "-b", "32", "--id3v2-only", "--tt", title, "--ta", QStringLiteral("歌手")});
    ASSERT_FALSE(lame.isEmpty());
    ASSERT_EQ(Payloads(ListFrames(lame), "TIT2").at(0).at(0), '\x01') << "lame wrote UTF-16";
    Id3TagInfo fromLame;
    ASSERT_TRUE(fromLame.Read(lame));
    EXPECT_EQ(fromLame.GetTitle(), title);
    EXPECT_EQ(fromLame.GetArtist(), QStringLiteral("歌手"));
    // Identification hands the title on as GBK.
    char info[kAudioFileInfoSize] = {};
    ASSERT_EQ(IdentifyAudioFile(lame, info), kAudioMp3);
    EXPECT_EQ(QByteArray(info + kAudioInfoTitle), IconvGbk(title));

    // ffmpeg writes version 2.4, UTF-8 where the text is not Latin-1.
    const QString longTitle = title.repeated(60); // a frame of 720 bytes
    const QString wav = MakeWav("u8.wav", 22050, 1, 0.5);
    const QString v24 = PathOf("u8.mp3");
    ASSERT_TRUE(RunTool(
        "ffmpeg", {"-loglevel", "error", "-y", "-i", wav, "-metadata", "title=" + longTitle,
                   "-metadata", QStringLiteral("artist=歌手"), "-metadata", "album=Plain",
                   "-metadata", QStringLiteral("comment=注释"), "-metadata", "date=2008", v24}));
    ASSERT_EQ(ReadAll(v24).at(3), '\x04');
    Id3TagInfo fromFfmpeg;
    ASSERT_TRUE(fromFfmpeg.Read(v24));
    EXPECT_EQ(fromFfmpeg.GetTitle(), longTitle);
    EXPECT_EQ(fromFfmpeg.GetArtist(), QStringLiteral("歌手"));
    EXPECT_EQ(fromFfmpeg.GetAlbum(), "Plain");
    EXPECT_EQ(fromFfmpeg.GetComment(), QStringLiteral("注释"));
    EXPECT_EQ(fromFfmpeg.GetYear(), "2008");

    // Hand-made: UTF-16 big-endian with its mark; GBK in a 2.4 ISO-8859-1 frame.
    const QByteArray audio = ReadAll(MakeMp3("p.mp3", 22050, 0.3, {"-t", "-b", "32"}));
    const QString path = PathOf("hand.mp3");
    ASSERT_TRUE(WriteAll(path, Tag(Frame("TIT2", QByteArray("\x01\xFE\xFF\x4E\x2D", 5))) + audio));
    Id3TagInfo bigEndian;
    ASSERT_TRUE(bigEndian.Read(path));
    EXPECT_EQ(bigEndian.GetTitle(), QStringLiteral("中"));

    const QByteArray gbk = '\0' + IconvGbk(title);
    ASSERT_TRUE(WriteAll(
        path,
        Tag(QByteArray("TIT2") + Syncsafe(gbk.size()) + QByteArray(2, '\0') + gbk, 4) + audio));
    Id3TagInfo gbk24;
    ASSERT_TRUE(gbk24.Read(path));
    EXPECT_EQ(gbk24.GetTitle(), title);
}

TEST(Id3TagInfo, MutatedTagsAreReadWithoutHarm)
{
    const QString mp3 = MakeMp3("m.mp3", 22050, 0.3,
                                {"-t", "-b", "32", "--tt", "Title", "--ta", "Artist", "--tl",
                                 "Album", "--ty", "2008", "--tc", "Comment", "--add-id3v2"});
    ASSERT_FALSE(mp3.isEmpty());
    // Tags at both ends: ID3v2 in front; Lyrics3 v2 and ID3v1 behind.
    const QByteArray lyrics = "LYRICSBEGININD0000210ETT00005Title";
    const QByteArray original = ReadAll(mp3).chopped(128) + lyrics +
                                QByteArray::number(lyrics.size()).rightJustified(6, '0') +
                                "LYRICS200" + ReadAll(mp3).right(128);
    ASSERT_TRUE(original.startsWith("ID3"));
    const qsizetype front =
        10 + (original[6] << 21 | original[7] << 14 | original[8] << 7 | original[9]);
    const qsizetype back = 128 + 15 + lyrics.size();

    std::mt19937 random(5);
    const QString path = PathOf("mutated.mp3");
    int refused = 0;
    for (int round = 0; round < 400; ++round) {
        QByteArray bytes = original;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < flips; ++i) {
            const qsizetype span = round % 2 == 0 ? front : back;
            const qsizetype at = static_cast<qsizetype>(random() % span);
            bytes[round % 2 == 0 ? at : bytes.size() - 1 - at] = static_cast<char>(random());
        }
        if (round % 7 == 0)
            bytes.truncate(static_cast<qsizetype>(random() % bytes.size()));
        ASSERT_TRUE(WriteAll(path, bytes));
        Id3TagInfo tags;
        refused += tags.Read(path) ? 0 : 1;
        EXPECT_LE(tags.GetTitle().size(), bytes.size());
    }
    EXPECT_GT(refused, 0);
}

} // namespace
