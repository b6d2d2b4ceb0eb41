#include "audio/MappedTempFile.h"
#include "audio/WaveDoc.h"
#include "audio/WmaToWavConverter.h"
#include "tests/audio/EncodedFixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstring>
#include <functional>
#include <random>
#include <sys/resource.h>
#include <vector>

using namespace EncodedFixtures;

namespace {

// The tools get "file:" paths, so a name like "concat:x.mp3" stays a file
// for them too.
QString ToolPath(const QString& path)
{
    return "file:" + path;
}

// Runs ffmpeg into the test folder; the path, or empty on failure.
QString Ffmpeg(const QString& name, const QStringList& args)
{
    const QString path = PathOf(name);
    const bool ok = RunTool("ffmpeg", QStringList{"-v", "error", "-y"} << args << ToolPath(path));
    return ok ? path : QString();
}

QString SineInput(int rate, double seconds)
{
    return QString("sine=frequency=440:sample_rate=%1:duration=%2").arg(rate).arg(seconds);
}

// ffprobe's view of a file's first audio stream.
struct AudioView
{
    QString codec;
    int rate = 0;
    int channels = 0;
    double duration = -1; // s, the stream's or else the container's
    double start = 0;     // s, the first sample's time (an encoder delay being skipped)
};

AudioView Probe(const QString& path, const QStringList& inputOptions = {})
{
    QByteArray out;
    AudioView view;
    if (!RunTool("ffprobe",
                 QStringList{"-v", "error"}
                     << inputOptions
                     << QStringList{"-select_streams", "a:0", "-show_entries",
                                    "stream=codec_name,sample_rate,channels,duration,"
                                    "start_time:format=duration",
                                    "-of", "json", ToolPath(path)},
                 &out))
        return view;
    const QJsonObject root = QJsonDocument::fromJson(out).object();
    const QJsonObject stream = root["streams"].toArray().at(0).toObject();
    view.codec = stream["codec_name"].toString();
    view.rate = stream["sample_rate"].toString().toInt();
    view.channels = stream["channels"].toInt();
    const QString duration = stream["duration"].toString();
    view.duration =
        (duration.isEmpty() ? root["format"].toObject()["duration"].toString() : duration)
            .toDouble();
    view.start = std::max(0.0, stream["start_time"].toString().toDouble());
    return view;
}

// ffmpeg's own decode of the first audio stream, as interleaved s16 samples.
std::vector<int16_t> ReferenceDecode(const QString& path, const QStringList& inputOptions = {})
{
    QByteArray out;
    if (!RunTool("ffmpeg",
                 QStringList{"-v", "error"}
                     << inputOptions
                     << QStringList{"-i", ToolPath(path), "-map", "0:a:0", "-f", "s16le", "-"},
                 &out))
        return {};
    std::vector<int16_t> samples(static_cast<size_t>(out.size()) / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = qFromLittleEndian<int16_t>(out.constData() + 2 * i);
    return samples;
}

// The 44-byte header and samples of a WAV file as written.
struct WavFile
{
    bool valid = false;
    WaveFormat format;
    uint32_t riffSize = 0;
    uint32_t dataSize = 0;
    qint64 fileSize = 0;
    std::vector<int16_t> samples;
};

WavFile ReadWav(const QString& path)
{
    WavFile wav;
    const QByteArray bytes = ReadAll(path);
    if (bytes.size() < 44 || !bytes.startsWith("RIFF") || bytes.mid(8, 8) != "WAVEfmt " ||
        bytes.mid(36, 4) != "data" || qFromLittleEndian<uint32_t>(bytes.constData() + 16) != 16)
        return wav;
    const char* b = bytes.constData();
    wav.valid = true;
    wav.fileSize = bytes.size();
    wav.riffSize = qFromLittleEndian<uint32_t>(b + 4);
    wav.format.formatTag = qFromLittleEndian<uint16_t>(b + 20);
    wav.format.channels = qFromLittleEndian<uint16_t>(b + 22);
    wav.format.samplesPerSec = qFromLittleEndian<uint32_t>(b + 24);
    wav.format.avgBytesPerSec = qFromLittleEndian<uint32_t>(b + 28);
    wav.format.blockAlign = qFromLittleEndian<uint16_t>(b + 32);
    wav.format.bitsPerSample = qFromLittleEndian<uint16_t>(b + 34);
    wav.dataSize = qFromLittleEndian<uint32_t>(b + 40);
    wav.samples.resize((static_cast<size_t>(bytes.size()) - 44) / 2);
    for (size_t i = 0; i < wav.samples.size(); ++i)
        wav.samples[i] = qFromLittleEndian<int16_t>(b + 44 + 2 * i);
    return wav;
}

// The tone's frequency in Hz from the upward zero crossings of the first
// channel, over the middle of the signal (codec edges left out).
double ToneFrequency(const std::vector<int16_t>& samples, int channels, int rate)
{
    const size_t frames = samples.size() / static_cast<size_t>(channels);
    const size_t from = frames / 10;
    const size_t to = frames - frames / 10;
    int crossings = 0;
    size_t first = 0;
    size_t last = 0;
    for (size_t i = from + 1; i < to; ++i) {
        if (samples[(i - 1) * channels] < 0 && samples[i * channels] >= 0) {
            if (crossings == 0)
                first = i;
            last = i;
            ++crossings;
        }
    }
    if (crossings < 2)
        return 0;
    return (crossings - 1) * static_cast<double>(rate) / static_cast<double>(last - first);
}

// Pearson correlation over the samples both sequences have.
double Correlation(const std::vector<int16_t>& a, const std::vector<int16_t>& b)
{
    const size_t n = std::min(a.size(), b.size());
    double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
    for (size_t i = 0; i < n; ++i) {
        const double x = a[i];
        const double y = b[i];
        sa += x;
        sb += y;
        saa += x * x;
        sbb += y * y;
        sab += x * y;
    }
    const double cov = sab - sa * sb / n;
    const double var = (saa - sa * sa / n) * (sbb - sb * sb / n);
    return var > 0 ? cov / std::sqrt(var) : 0;
}

// The folder's entries, hidden ones included, so a temporary file left
// behind shows.
QStringList FolderEntries(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QString MakeJpeg()
{
    return Ffmpeg("cover.jpg", {"-f", "lavfi", "-i", "color=red:s=16x16", "-frames:v", "1"});
}

// An ID3v2.4 tag of the given total size: a text frame, then padding.
QByteArray Id3v2Tag(int size)
{
    const QByteArray text = QByteArray("\x03") + "Cover of a very long tag";
    QByteArray frame = "TIT2";
    frame += QByteArray(4, '\0');
    for (int i = 0; i < 4; ++i)
        frame[4 + i] = static_cast<char>((text.size() >> (7 * (3 - i))) & 0x7F);
    frame += QByteArray(2, '\0') + text;
    QByteArray tag("ID3\x04\x00\x00", 6);
    const int body = size - 10;
    for (int i = 0; i < 4; ++i)
        tag += static_cast<char>((body >> (7 * (3 - i))) & 0x7F);
    tag += frame;
    tag += QByteArray(body - frame.size(), '\0');
    return tag;
}

struct DecodeCase
{
    const char* name;
    std::function<QString()> make;
    int codecFrame;          // samples per frame of the codec
    QStringList toolOptions; // input options the tools need for the source
};

std::vector<DecodeCase> DecodeCases()
{
    return {
        {"Mp3Stereo44k",
         [] {
             return MakeMp3("tone.mp3", 44100, 1.0, {"-b", "128"});
         },
         1152},
        // MPEG-2 Layer III without the info frame, so nothing trims the delay.
        {"Mp3Mono22kNoInfoFrame", [] { return MakeMp3("mono.mp3", 22050, 1.0, {"-t"}); }, 1152},
        {"Mp3BehindId3v2WithPicture",
         [] {
             const QString jpeg = MakeJpeg();
             return jpeg.isEmpty() ? QString()
                                   : MakeMp3("tagged.mp3", 44100, 1.0,
                                             {"--ti", jpeg, "--pad-id3v2-size", "120000"});
         },
         1152},
        // A tag longer than any probe buffer, on a file whose name says nothing.
        {"Mp3BehindOneMegabyteTag",
         [] {
             const QString mp3 = MakeMp3("plain.mp3", 44100, 1.0, {"--id3v2-only", "-t"});
             const QString path = PathOf("~VAZOZEDU.TMP");
             const QByteArray audio = ReadAll(mp3);
             // lame's own (small) tag goes; a big one takes its place.
             const int own = audio.startsWith("ID3")
                                 ? 10 + ((audio[6] & 0x7F) << 21 | (audio[7] & 0x7F) << 14 |
                                         (audio[8] & 0x7F) << 7 | (audio[9] & 0x7F))
                                 : 0;
             return WriteAll(path, Id3v2Tag(1200 * 1024) + audio.mid(own)) ? path : QString();
         },
         1152,
         {"-f", "mp3"}},
        {"Mp3NamedLikeAProtocol",
         [] {
             const QString mp3 = MakeMp3("named.mp3", 44100, 1.0, {});
             const QString path = PathOf("concat:named.mp3|named.mp3");
             return QFile::rename(mp3, path) ? path : QString();
         },
         1152},
        {"WmaStereo44k",
         [] {
             return Ffmpeg("tone.wma", {"-f", "lavfi", "-i", SineInput(44100, 1), "-ac", "2",
                                        "-c:a", "wmav2", "-b:a", "64k"});
         },
         2048},
        {"AsfMono22k",
         [] {
             return Ffmpeg("tone.asf", {"-f", "lavfi", "-i", SineInput(22050, 1), "-c:a", "wmav2",
                                        "-b:a", "32k"});
         },
         1024},
        {"AsfVideoBeforeAudio",
         [] {
             return Ffmpeg("movie.asf",
                           {"-f", "lavfi", "-i", "testsrc=size=32x32:rate=5:duration=1", "-f",
                            "lavfi", "-i", SineInput(22050, 1), "-map", "0:v", "-map", "1:a",
                            "-c:v", "msmpeg4", "-c:a", "wmav2", "-b:a", "32k"});
         },
         1024},
    };
}

class Decode : public testing::TestWithParam<DecodeCase>
{
};

TEST_P(Decode, MatchesTheToolsViewOfTheSource)
{
    const DecodeCase& c = GetParam();
    const QString source = c.make();
    ASSERT_FALSE(source.isEmpty()) << "fixture";
    const AudioView view = Probe(source, c.toolOptions);
    ASSERT_GT(view.rate, 0) << "ffprobe reads the fixture";
    const QString target = PathOf("out.wav");

    WmaToWavConverter converter;
    ASSERT_EQ(converter.Convert(source, target), S_OK);

    const WavFile wav = ReadWav(target);
    ASSERT_TRUE(wav.valid);
    EXPECT_EQ(wav.format, MakePcmFormat(static_cast<uint16_t>(view.channels),
                                        static_cast<uint32_t>(view.rate), 16));
    EXPECT_EQ(wav.dataSize, wav.fileSize - 44);
    EXPECT_EQ(wav.riffSize, wav.fileSize - 8);
    EXPECT_EQ(wav.dataSize % wav.format.blockAlign, 0u);

    const AudioView written = Probe(target);
    EXPECT_EQ(written.codec, "pcm_s16le");
    EXPECT_EQ(written.rate, view.rate);
    EXPECT_EQ(written.channels, view.channels);

    // The container's duration counts whole codec frames from the first
    // one, encoder delay included (the start time, where the tools skip it)
    // and the last frame's padding: the decoded length may fall short of it
    // by the delay the codec cannot hand back (up to a frame) plus that
    // padding (under a frame), so two frames at most either way.
    const double seconds = static_cast<double>(wav.samples.size() / view.channels) / view.rate;
    const double tolerance = 2.0 * c.codecFrame / view.rate;
    EXPECT_NEAR(seconds, view.duration - view.start, tolerance);

    EXPECT_NEAR(ToneFrequency(wav.samples, view.channels, view.rate), 440.0, 440.0 * 0.01);

    const std::vector<int16_t> reference = ReferenceDecode(source, c.toolOptions);
    ASSERT_FALSE(reference.empty());
    const double frames = static_cast<double>(wav.samples.size()) / view.channels;
    EXPECT_NEAR(frames, static_cast<double>(reference.size()) / view.channels, c.codecFrame);
    EXPECT_GT(Correlation(wav.samples, reference), 0.999);

    EXPECT_EQ(FolderEntries(QFileInfo(target).absolutePath()).filter(".out.wav"), QStringList())
        << "no temporary file is left behind";
}

INSTANTIATE_TEST_SUITE_P(Sources, Decode, testing::ValuesIn(DecodeCases()),
                         [](const testing::TestParamInfo<DecodeCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(WmaToWavConverter, StereoMp3GivesTheWaveReadersLayout)
{
    const QString source = MakeMp3("stereo.mp3", 44100, 0.5, {});
    ASSERT_FALSE(source.isEmpty());
    const QString target = PathOf("out.wav");
    ASSERT_TRUE(WriteAll(target, "an old file that must go"));

    WmaToWavConverter converter;
    ASSERT_EQ(converter.Convert(source, target), S_OK);

    const WavFile wav = ReadWav(target);
    ASSERT_TRUE(wav.valid);
    const WaveFormat expected = {kWaveFormatPcm, 2, 44100, 176400, 4, 16};
    EXPECT_EQ(wav.format, expected);
    EXPECT_EQ(wav.dataSize, wav.fileSize - 44);

    CWaveDoc clip;
    ASSERT_EQ(clip.ReadWaveFile(target, nullptr), 1);
    EXPECT_EQ(clip.GetFormat(), expected);
    EXPECT_EQ(clip.GetDataSize(), wav.dataSize);
}

QByteArray RandomBytes(int count)
{
    std::mt19937 random(1234);
    QByteArray bytes(count, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random() & 0xFF);
    return bytes;
}

QString WriteFixture(const QString& name, const QByteArray& bytes)
{
    const QString path = PathOf(name);
    return WriteAll(path, bytes) ? path : QString();
}

// An MP3 whose frames change from 44100 Hz stereo to 22050 Hz mono half-way:
// the WAV file keeps the first frame's format and converts the rest to it.
TEST(WmaToWavConverter, FormatChangeMidStreamIsConverted)
{
    const QString first = MakeMp3("first.mp3", 44100, 0.5, {"-t"});
    const QString second = MakeMp3("second.mp3", 22050, 0.5, {"-t"});
    ASSERT_FALSE(first.isEmpty());
    ASSERT_FALSE(second.isEmpty());
    const QString source = WriteFixture("joined.mp3", ReadAll(first) + ReadAll(second));
    ASSERT_FALSE(source.isEmpty());
    const double expected = static_cast<double>(ReferenceDecode(first).size()) / 2 / 44100 +
                            static_cast<double>(ReferenceDecode(second).size()) / 22050;

    WmaToWavConverter converter;
    ASSERT_EQ(converter.Convert(source, PathOf("out.wav")), S_OK);
    const WavFile wav = ReadWav(PathOf("out.wav"));
    ASSERT_TRUE(wav.valid);
    EXPECT_EQ(wav.format, MakePcmFormat(2, 44100, 16));
    EXPECT_NEAR(static_cast<double>(wav.samples.size()) / 2 / 44100, expected, 1152.0 / 22050);
    const std::vector<int16_t> tail(wav.samples.end() - 2 * 11025, wav.samples.end());
    EXPECT_NEAR(ToneFrequency(tail, 2, 44100), 440.0, 440.0 * 0.01);
}

// Sources that are no decodable audio: each fails, and neither the target
// nor a temporary file beside it is left.
struct BrokenCase
{
    const char* name;
    std::function<QString()> make;
    HRESULT expected; // 0: any failure
};

QString CutFile(const QString& path, const QString& name, qint64 length)
{
    return path.isEmpty() ? QString() : WriteFixture(name, ReadAll(path).left(length));
}

std::vector<BrokenCase> BrokenCases()
{
    const HRESULT unreadable = WmaToWavConverter::kUnreadableSource;
    return {
        {"Missing", [] { return PathOf("missing.mp3"); }, HResultFromErrno(ENOENT)},
        {"Empty", [] { return WriteFixture("empty.mp3", {}); }, unreadable},
        {"TextNamedMp3",
         [] { return WriteFixture("notes.mp3", QByteArray("just some text\n").repeated(40)); },
         unreadable},
        {"RandomNamedMp3", [] { return WriteFixture("noise.mp3", RandomBytes(64 * 1024)); }, 0},
        {"RandomNamedWma", [] { return WriteFixture("noise.wma", RandomBytes(64 * 1024)); }, 0},
        {"Id3TagWithoutAudio", [] { return WriteFixture("tagonly.mp3", Id3v2Tag(4096)); },
         unreadable},
        {"Mp3CutInsideItsTag",
         [] {
             return CutFile(MakeMp3("cut.mp3", 44100, 0.5, {"--pad-id3v2-size", "4000"}),
                            "cut-tag.mp3", 2000);
         },
         unreadable},
        {"Mp3CutInsideItsFirstFrame",
         [] { return CutFile(MakeMp3("cut.mp3", 44100, 0.5, {"-t"}), "cut-frame.mp3", 200); },
         unreadable},
        {"AsfCutInsideItsHeader",
         [] {
             return CutFile(Ffmpeg("cut.asf", {"-f", "lavfi", "-i", SineInput(22050, 0.5), "-c:a",
                                               "wmav2", "-b:a", "32k"}),
                            "cut-header.asf", 300);
         },
         unreadable},
        {"AsfWithoutAudio",
         [] {
             return Ffmpeg(
                 "silent.asf",
                 {"-f", "lavfi", "-i", "testsrc=size=32x32:rate=5:duration=1", "-c:v", "msmpeg4"});
         },
         WmaToWavConverter::kNoAudioStream},
        {"Folder",
         [] { return QDir(PathOf("")).mkdir("album.mp3") ? PathOf("album.mp3") : QString(); },
         E_FAIL},
        {"Fifo", [] { return MakeFifo(PathOf("pipe.mp3")) ? PathOf("pipe.mp3") : QString(); },
         E_FAIL},
        {"Device", [] { return QString("/dev/zero"); }, E_FAIL},
        // Names that FFmpeg's own file opening would read as protocols or
        // playlists: here they are ordinary files, and what they name is
        // never opened (a real MP3 sits beside them).
        {"ConcatName",
         [] {
             const QString mp3 = MakeMp3("real.mp3", 44100, 0.5, {});
             return mp3.isEmpty() ? QString()
                                  : WriteFixture("concat:real.mp3|real.mp3", "not audio\n");
         },
         unreadable},
        {"PlaylistNamingAnMp3",
         [] {
             const QString mp3 = MakeMp3("real.mp3", 44100, 0.5, {});
             return mp3.isEmpty() ? QString()
                                  : WriteFixture("list.m3u8", "#EXTM3U\n"
                                                              "#EXT-X-TARGETDURATION:1\n"
                                                              "#EXTINF:1,\n"
                                                              "real.mp3\n"
                                                              "#EXT-X-ENDLIST\n");
         },
         unreadable},
    };
}

class Broken : public testing::TestWithParam<BrokenCase>
{
};

TEST_P(Broken, FailsAndLeavesNoTarget)
{
    const BrokenCase& c = GetParam();
    const QString source = c.make();
    ASSERT_FALSE(source.isEmpty()) << "fixture";
    const QString folder = PathOf("out");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString target = folder + "/out.wav";

    WmaToWavConverter converter;
    const HRESULT result = converter.Convert(source, target);
    if (c.expected != 0)
        EXPECT_EQ(result, c.expected);
    else
        EXPECT_LT(result, 0);
    EXPECT_EQ(FolderEntries(folder), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Sources, Broken, testing::ValuesIn(BrokenCases()),
                         [](const testing::TestParamInfo<BrokenCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(WmaToWavConverter, EmptyPathsAreInvalid)
{
    const QString source = MakeMp3("tone.mp3", 44100, 0.2, {});
    ASSERT_FALSE(source.isEmpty());
    WmaToWavConverter converter;
    EXPECT_EQ(converter.Convert(QString(), PathOf("out.wav")), E_INVALIDARG);
    EXPECT_EQ(converter.Convert(source, QString()), E_INVALIDARG);
    EXPECT_FALSE(QFileInfo::exists(PathOf("out.wav")));
}

// A target that is not a regular file is refused as it stands: nothing is
// written through a link or into a FIFO, device or folder.
TEST(WmaToWavConverter, RefusesTargetsThatAreNoRegularFile)
{
    const QString source = MakeMp3("tone.mp3", 44100, 0.2, {});
    ASSERT_FALSE(source.isEmpty());
    const QString folder = PathOf("work");
    ASSERT_TRUE(QDir().mkpath(folder + "/sub.wav"));
    ASSERT_TRUE(MakeFifo(folder + "/pipe.wav"));
    ASSERT_TRUE(WriteAll(PathOf("victim.wav"), "keep me"));
    ASSERT_TRUE(QFile::link(PathOf("victim.wav"), folder + "/link.wav"));
    ASSERT_TRUE(QFile::link("/dev/null", folder + "/null.wav"));
    const QStringList before = FolderEntries(folder);

    WmaToWavConverter converter;
    for (const char* name : {"sub.wav", "pipe.wav", "link.wav", "null.wav"})
        EXPECT_EQ(converter.Convert(source, folder + '/' + name), E_INVALIDARG) << name;
    EXPECT_LT(converter.Convert(source, folder + "/missing/out.wav"), 0);

    EXPECT_EQ(FolderEntries(folder), before);
    EXPECT_EQ(ReadAll(PathOf("victim.wav")), "keep me");
    EXPECT_TRUE(QFileInfo(folder + "/link.wav").isSymLink());
    EXPECT_TRUE(QFileInfo(folder + "/sub.wav").isDir());
}

// A source refused before the WAV file is created leaves an old target; a
// write that fails while decoding leaves none, and no half-written file.
TEST(WmaToWavConverter, FailedWriteLeavesNoTarget)
{
    const QString source = MakeMp3("tone.mp3", 44100, 1.0, {});
    ASSERT_FALSE(source.isEmpty());
    const QString folder = PathOf("out");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString target = folder + "/out.wav";
    ASSERT_TRUE(WriteAll(target, "old contents"));
    ASSERT_TRUE(WriteAll(PathOf("text.mp3"), "not audio"));

    WmaToWavConverter converter;
    EXPECT_EQ(converter.Convert(PathOf("text.mp3"), target), WmaToWavConverter::kUnreadableSource);
    EXPECT_EQ(ReadAll(target), "old contents");

    rlimit saved = {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 20000; // bytes; the WAV file needs about 176 kB
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const HRESULT result = converter.Convert(source, target);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result, HResultFromErrno(EFBIG));
    EXPECT_EQ(FolderEntries(folder), QStringList());
}

// Bytes this process has read so far (every read and pread of every thread).
uint64_t BytesReadByProcess()
{
    QFile io("/proc/self/io");
    if (!io.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toULongLong();
    return 0;
}

// Zeros behind an MP3's frames, which FFmpeg's frame parser would buffer
// whole while it looks for the next frame: the decoding ends a few MB past
// the last audio, with all of the frames' audio. Timed in
// bench/hostile-inputs.sh.
TEST(WmaToWavConverter, JunkAfterTheFramesIsNotReadToItsEnd)
{
    const QString mp3 = MakeMp3("short.mp3", 44100, 1.0, {"-t", "-b", "160"});
    ASSERT_FALSE(mp3.isEmpty());
    WmaToWavConverter converter;
    CWaveDoc intact;
    ASSERT_EQ(converter.ConvertToClip(mp3, intact), S_OK);

    const QString padded = PathOf("padded.mp3");
    ASSERT_TRUE(QFile::copy(mp3, padded));
    QFile file(padded);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    constexpr qint64 kZeros = 256 * 1024 * 1024;
    ASSERT_TRUE(file.resize(file.size() + kZeros)); // sparse: no disk used
    file.close();

    const uint64_t before = BytesReadByProcess();
    CWaveDoc clip;
    ASSERT_EQ(converter.ConvertToClip(padded, clip), S_OK);
    const uint64_t read = BytesReadByProcess() - before;
    EXPECT_LT(read, uint64_t{32 * 1024 * 1024}) << "bytes read";
    ASSERT_EQ(clip.GetDataSize(), intact.GetDataSize());
    const CMappedView got = clip.GetStore()->MapView(0, clip.GetDataSize());
    const CMappedView want = intact.GetStore()->MapView(0, intact.GetDataSize());
    EXPECT_EQ(std::memcmp(got.data(), want.data(), clip.GetDataSize()), 0);
}

// Random bytes behind the audio, as a broken download leaves them: the audio
// before them decodes as it did without them, and the tail adds no more
// than the tool's own decoding of the damaged file.
TEST(WmaToWavConverter, DamagedTailKeepsTheAudioBeforeIt)
{
    const QString mp3 = MakeMp3("tone.mp3", 44100, 3.0, {});
    const QString asf = Ffmpeg(
        "tone.asf", {"-f", "lavfi", "-i", SineInput(22050, 3), "-c:a", "wmav2", "-b:a", "32k"});
    ASSERT_FALSE(mp3.isEmpty());
    ASSERT_FALSE(asf.isEmpty());
    WmaToWavConverter converter;
    for (const QString& intact : {mp3, asf}) {
        ASSERT_EQ(converter.Convert(intact, PathOf("intact.wav")), S_OK) << intact;
        const WavFile whole = ReadWav(PathOf("intact.wav"));
        ASSERT_TRUE(whole.valid);
        const size_t channels = whole.format.channels;
        for (const int tail : {8 * 1024, 200 * 1024, 400 * 1024, 1024 * 1024}) {
            const QString name = QFileInfo(intact).fileName() + QString(".%1.tail").arg(tail);
            const QString source = WriteFixture(name, ReadAll(intact) + RandomBytes(tail));
            ASSERT_FALSE(source.isEmpty());
            ASSERT_EQ(converter.Convert(source, PathOf("out.wav")), S_OK) << name.toStdString();
            const WavFile wav = ReadWav(PathOf("out.wav"));
            ASSERT_TRUE(wav.valid);
            EXPECT_EQ(wav.format, whole.format);
            // The last frame before the damage may decode differently; one
            // frame is at most 1152 samples per channel.
            const size_t frame = 1152 * channels;
            ASSERT_GE(wav.samples.size() + frame, whole.samples.size()) << name.toStdString();
            EXPECT_LE(wav.samples.size(), ReferenceDecode(source).size() + frame)
                << name.toStdString();
            const size_t same = whole.samples.size() - frame;
            EXPECT_TRUE(std::equal(whole.samples.begin(), whole.samples.begin() + same,
                                   wav.samples.begin()))
                << name.toStdString();
        }
    }
}

// A limit on the decoded bytes: audio up to it converts, audio past it is
// refused as too long, with its format known and no WAV file left.
TEST(WmaToWavConverter, AudioPastTheLimitIsTooLong)
{
    const QString mp3 = MakeMp3("tone.mp3", 22050, 1.0, {});
    ASSERT_FALSE(mp3.isEmpty());
    const QString folder = PathOf("out");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString target = folder + "/out.wav";
    WmaToWavConverter converter;
    ASSERT_EQ(converter.Convert(mp3, target), S_OK);
    const uint32_t bytes = ReadWav(target).dataSize;
    ASSERT_GT(bytes, 0u);
    ASSERT_TRUE(QFile::remove(target));

    EXPECT_EQ(converter.Convert(mp3, target, bytes - 1), WmaToWavConverter::kTooLong);
    EXPECT_EQ(converter.GetPcmFormat(), MakePcmFormat(1, 22050, 16));
    EXPECT_EQ(FolderEntries(folder), QStringList());
    EXPECT_EQ(converter.Convert(mp3, target, bytes), S_OK);
    EXPECT_EQ(ReadWav(target).dataSize, bytes);
}

// Damage after a readable start: the converter either fails cleanly or
// gives a consistent WAV file no longer than the undamaged file's audio.
TEST(WmaToWavConverter, DamagedStreamsEndCleanly)
{
    const QString mp3 = MakeMp3("tone.mp3", 44100, 1.0, {});
    const QString asf = Ffmpeg(
        "tone.asf", {"-f", "lavfi", "-i", SineInput(22050, 1), "-c:a", "wmav2", "-b:a", "32k"});
    ASSERT_FALSE(mp3.isEmpty());
    ASSERT_FALSE(asf.isEmpty());
    const QByteArray mp3Bytes = ReadAll(mp3);
    const QByteArray asfBytes = ReadAll(asf);
    QByteArray mp3Noise = mp3Bytes;
    mp3Noise.replace(mp3Bytes.size() / 3, mp3Bytes.size() / 3, RandomBytes(mp3Bytes.size() / 3));
    QByteArray asfNoise = asfBytes;
    asfNoise.replace(asfBytes.size() / 3, asfBytes.size() / 3, RandomBytes(asfBytes.size() / 3));

    const struct
    {
        const char* name;
        QByteArray bytes;
        QString intact;
    } cases[] = {
        {"half.mp3", mp3Bytes.left(mp3Bytes.size() / 2), mp3},
        {"noise.mp3", mp3Noise, mp3},
        {"half.asf", asfBytes.left(asfBytes.size() / 2), asf},
        {"noise.asf", asfNoise, asf},
    };
    WmaToWavConverter converter;
    for (const auto& c : cases) {
        const QString source = WriteFixture(c.name, c.bytes);
        ASSERT_FALSE(source.isEmpty());
        const QString folder = PathOf(QString(c.name) + ".out");
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString target = folder + "/out.wav";
        const HRESULT result = converter.Convert(source, target);
        if (result != S_OK) {
            EXPECT_LT(result, 0) << c.name;
            EXPECT_EQ(FolderEntries(folder), QStringList()) << c.name;
            continue;
        }
        const WavFile wav = ReadWav(target);
        ASSERT_TRUE(wav.valid) << c.name;
        EXPECT_EQ(wav.dataSize, wav.fileSize - 44) << c.name;
        EXPECT_LE(wav.samples.size(), ReferenceDecode(c.intact).size()) << c.name;
    }
}

} // namespace
