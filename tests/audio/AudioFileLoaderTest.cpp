#include "audio/AudioFileLoader.h"
#include "audio/AudioSaver.h"
#include "audio/MappedTempFile.h"
#include "audio/MP3Info.h"
#include "audio/WaveDoc.h"
#include "audio/WmaToWavConverter.h"
#include "tests/audio/EncodedFixtures.h"
#include "tests/support/TestEnvironment.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

using namespace EncodedFixtures;

QString WorkFolder()
{
    const QString folder = TestEnvironment::Home() + "/work";
    QDir().mkpath(folder);
    return folder;
}

struct OpenCase
{
    const char* name;
    QString (*make)();
    uint16_t channels;
    uint32_t rate;
    uint32_t durationMs; // within 60 ms: codecs pad to whole frames
};

QString Wav8() { return RunTool("sox", {"-n", "-r", "8000", "-b", "8", "-c", "1", PathOf("a.wav"), "synth", "1", "sine", "440"}) ? PathOf("a.wav") : QString(); }
QString Alaw() { return RunTool("sox", {"-n", "-r", "8000", "-e", "a-law", "-c", "1", PathOf("al.wav"), "synth", "1", "sine", "440"}) ? PathOf("al.wav") : QString(); }
QString Mulaw() { return RunTool("sox", {"-n", "-r", "8000", "-e", "mu-law", "-c", "2", PathOf("mu.wav"), "synth", "1", "sine", "440"}) ? PathOf("mu.wav") : QString(); }
QString Mp3() { return MakeMp3("a.mp3", 44100, 1.0, {"-b", "128"}); }
QString Mp3BigTag()
{
    return MakeMp3("tag.mp3", 44100, 1.0, {"--tt", "x", "--add-id3v2", "--pad-id3v2-size", "200000"});
}
QString Ogg()
{
    const QString wav = MakeWav("o.wav", 22050, 2, 1.0);
    return RunTool("oggenc", {"-Q", "-o", PathOf("a.ogg"), wav}) ? PathOf("a.ogg") : QString();
}
QString Wma()
{
    const QString wav = MakeWav("w.wav", 44100, 2, 1.0);
    return RunTool("ffmpeg", {"-loglevel", "error", "-y", "-i", wav, "-c:a", "wmav2", PathOf("a.wma")}) ? PathOf("a.wma") : QString();
}
QString Asf()
{
    const QString wav = MakeWav("s.wav", 22050, 1, 1.0);
    return RunTool("ffmpeg", {"-loglevel", "error", "-y", "-i", wav, "-c:a", "wmav2", PathOf("a.asf")}) ? PathOf("a.asf") : QString();
}
QString Ring()
{
    const QString wav = MakeWav("r.wav", 8000, 1, 1.0);
    return WriteAll(PathOf("a.kox"), RingContainer(ReadAll(wav), 0x5A, 1)) ? PathOf("a.kox")
                                                                           : QString();
}

// WAVs the reader's own rules refuse, as ffmpeg writes them.
QString FfmpegWav(const QString& name, const QStringList& output)
{
    const QString path = PathOf(name);
    return RunTool("ffmpeg", QStringList{"-loglevel", "error", "-y", "-f", "lavfi", "-i",
                                         "sine=f=440:d=1:r=48000"} +
                                 output + QStringList{path})
               ? path
               : QString();
}
QString Wav24() { return FfmpegWav("24.wav", {"-c:a", "pcm_s24le"}); }
QString Extensible()
{
    // Six channels: ffmpeg writes WAVE_FORMAT_EXTENSIBLE (tag 0xFFFE).
    const QString path = FfmpegWav("ext.wav", {"-ac", "6", "-c:a", "pcm_s16le"});
    return ReadAll(path).mid(20, 2) == QByteArray("\xFE\xFF", 2) ? path : QString();
}
QString FloatRing()
{
    const QString wav = FfmpegWav("f.wav", {"-ac", "2", "-c:a", "pcm_f32le"});
    return WriteAll(PathOf("f.kox"), RingContainer(ReadAll(wav), 0x5A, 1)) ? PathOf("f.kox")
                                                                          : QString();
}

class Opens : public testing::TestWithParam<OpenCase>
{
};

TEST_P(Opens, EveryKindBecomesAClip)
{
    const OpenCase& c = GetParam();
    const QString source = c.make();
    ASSERT_FALSE(source.isEmpty());
    AudioFileLoader::Result result = AudioFileLoader::Load(source, WorkFolder(), 4000, nullptr);
    ASSERT_TRUE(result.clip) << result.messages.join(" ");
    EXPECT_TRUE(result.messages.isEmpty());
    EXPECT_EQ(result.clip->GetFormat().channels, c.channels);
    EXPECT_EQ(result.clip->GetFormat().samplesPerSec, c.rate);
    EXPECT_NEAR(result.clip->GetDuration(), c.durationMs, 60);
    EXPECT_EQ(result.clip->GetStart(), 4000u);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, Opens,
    testing::Values(OpenCase{"Wav8", Wav8, 1, 8000, 1000}, OpenCase{"Alaw", Alaw, 1, 8000, 1000},
                    OpenCase{"Mulaw", Mulaw, 2, 8000, 1000}, OpenCase{"Mp3", Mp3, 2, 44100, 1000},
                    OpenCase{"Mp3BigTag", Mp3BigTag, 2, 44100, 1000},
                    OpenCase{"Ogg", Ogg, 2, 22050, 1000}, OpenCase{"Wma", Wma, 2, 44100, 1000},
                    OpenCase{"Asf", Asf, 1, 22050, 1000}, OpenCase{"Ring", Ring, 1, 8000, 1000},
                    OpenCase{"Wav24", Wav24, 1, 48000, 1000},
                    OpenCase{"Extensible", Extensible, 2, 48000, 1000},
                    OpenCase{"FloatRing", FloatRing, 2, 48000, 1000}),
    [](const testing::TestParamInfo<OpenCase>& info) { return std::string(info.param.name); });

TEST(OpenRefusedWav, SamplesAreWhatFfmpegDecodes)
{
    const QString float32 = FfmpegWav("f32.wav", {"-ac", "2", "-c:a", "pcm_f32le"});
    for (const QString& source : {Wav24(), float32}) {
        ASSERT_FALSE(source.isEmpty());
        QByteArray expected;
        ASSERT_TRUE(RunTool("ffmpeg", {"-loglevel", "error", "-i", source, "-f", "s16le", "-"},
                            &expected));
        AudioFileLoader::Result result = AudioFileLoader::Load(source, WorkFolder(), 0, nullptr);
        ASSERT_TRUE(result.clip) << source.toStdString();
        const CWaveDoc& clip = *result.clip;
        ASSERT_EQ(clip.GetDataSize(), uint32_t(expected.size())) << source.toStdString();
        const CMappedView view = clip.GetStore()->MapView(0, clip.GetDataSize());
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(view.data()), expected.size()),
                  expected)
            << source.toStdString();
    }
}

QByteArray StoreBytes(const CWaveDoc& clip)
{
    if (clip.GetDataSize() == 0)
        return {};
    const CMappedView view = clip.GetStore()->MapView(0, clip.GetDataSize());
    return QByteArray(reinterpret_cast<const char*>(view.data()), int(view.size()));
}

// Decoding goes straight into the clip's store; the samples must be the
// ones the decoded WAV file held (the data chunk of the file the FFmpeg
// decoder writes, oggdec's output for Ogg).
TEST(OpenDecoded, StoreHoldsTheSamplesOfTheDecodedWav)
{
    const QString mp3 = MakeMp3("long.mp3", 44100, 3.0, {"-b", "128"});
    const QString wma = Wma();
    const QString ogg = Ogg();
    for (const QString& source : {mp3, wma, ogg}) {
        ASSERT_FALSE(source.isEmpty());
        SCOPED_TRACE(source.toStdString());
        const QString wav = PathOf("reference.wav");
        QFile::remove(wav);
        if (source.endsWith(".ogg")) {
            ASSERT_TRUE(RunTool("oggdec", {"-Q", source, "-o", wav}));
        } else {
            WmaToWavConverter converter;
            ASSERT_EQ(converter.Convert(source, wav), S_OK);
        }
        CWaveDoc reference;
        ASSERT_TRUE(reference.ReadWaveFile(wav, nullptr));
        AudioFileLoader::Result result = AudioFileLoader::Load(source, WorkFolder(), 0, nullptr);
        ASSERT_TRUE(result.clip);
        EXPECT_EQ(result.clip->GetFormat(), reference.GetFormat());
        const QByteArray expected = StoreBytes(reference);
        const QByteArray got = StoreBytes(*result.clip);
        ASSERT_GT(expected.size(), 0);
        EXPECT_EQ(QCryptographicHash::hash(got, QCryptographicHash::Md5).toHex(),
                  QCryptographicHash::hash(expected, QCryptographicHash::Md5).toHex());
    }
}

// A stand-in for the Ogg decoder, put first on PATH.
void FakeOggdec(const QByteArray& body)
{
    const QString bin = TestEnvironment::Home() + "/bin";
    QDir().mkpath(bin);
    WriteAll(bin + "/oggdec", "#!/bin/sh\n" + body + "\n");
    QFile::setPermissions(bin + "/oggdec", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PATH", (bin + ":" + qEnvironmentVariable("PATH")).toLocal8Bit());
}

TEST(OpenFailures, TheUserIsToldAndNothingStaleIsLoaded)
{
    const QString ogg = Ogg();
    ASSERT_FALSE(ogg.isEmpty());
    const QString work = WorkFolder();
    // A decoded file of an earlier open must not come back.
    ASSERT_TRUE(QFile::copy(MakeWav("old.wav", 8000, 1, 0.5), work + "/~VAZOZEDU.wav"));
    const QByteArray path = qgetenv("PATH");

    FakeOggdec("exit 1");
    auto failing = AudioFileLoader::Load(ogg, work, 0, nullptr);
    EXPECT_FALSE(failing.clip);
    EXPECT_EQ(failing.messages, QStringList{QStringLiteral("读取音频数据失败！")});

    FakeOggdec("exit 0"); // claims success, writes nothing
    auto silent = AudioFileLoader::Load(ogg, work, 0, nullptr);
    EXPECT_FALSE(silent.clip);
    EXPECT_EQ(silent.messages, QStringList{QStringLiteral("读取音频数据失败！")});

    qputenv("PATH", TestEnvironment::Home().toLocal8Bit() + "/nothing");
    auto missing = AudioFileLoader::Load(ogg, work, 0, nullptr);
    EXPECT_EQ(missing.messages, (QStringList{QStringLiteral("创建转换进程失败!"),
                                             QStringLiteral("读取音频数据失败！")}));
    qputenv("PATH", path);

    WriteAll(PathOf("notes.txt"), "just text");
    EXPECT_EQ(AudioFileLoader::Load(PathOf("notes.txt"), work, 0, nullptr).messages,
              QStringList{QStringLiteral("不支持的文件类型！")});
    EXPECT_EQ(AudioFileLoader::Load(PathOf("gone.mp3"), work, 0, nullptr).messages,
              QStringList{QStringLiteral("打开文件失败！")});
}

// WAV files whose walk finds samples only before the format record, or
// none: the first opens with its samples, the second is refused with a
// word instead of opening as an empty clip.
TEST(OpenFailures, WavWithoutSamplesBehindItsFormat)
{
    const QByteArray good = ReadAll(MakeWav("good.wav", 8000, 1, 0.2));
    ASSERT_EQ(good.mid(36, 4), "data");
    const QByteArray samples = good.mid(44);
    const QString work = WorkFolder();

    ASSERT_TRUE(WriteAll(PathOf("order.wav"), good.left(12) + good.mid(36) + good.mid(12, 24)));
    const auto reordered = AudioFileLoader::Load(PathOf("order.wav"), work, 0, nullptr);
    ASSERT_TRUE(reordered.clip) << reordered.messages.join(" ");
    ASSERT_EQ(reordered.clip->GetDataSize(), uint32_t(samples.size()));
    const CMappedView view = reordered.clip->GetStore()->MapView(0, samples.size());
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(view.data()), samples.size()), samples);

    ASSERT_TRUE(WriteAll(PathOf("format-only.wav"), good.left(36)));
    const auto empty = AudioFileLoader::Load(PathOf("format-only.wav"), work, 0, nullptr);
    EXPECT_FALSE(empty.clip);
    EXPECT_EQ(empty.messages, QStringList{QStringLiteral("不支持的文件类型！")});
}

TEST(Saving, WavRingWavAndMp3WithTags)
{
    const QString work = WorkFolder();
    auto mix = AudioFileLoader::Load(MakeWav("mix.wav", 44100, 2, 1.0), work, 0, nullptr).clip;
    ASSERT_TRUE(mix);

    SaveOptions wav;
    wav.outputPath = PathOf("Out.WAV");
    AudioSaver::Result saved = AudioSaver::Save(*mix, wav, work, nullptr);
    EXPECT_TRUE(saved.saved);
    EXPECT_EQ(saved.path, PathOf("Out.WAV")) << "the extension test ignores case";

    SaveOptions ring;
    ring.saveType = SaveOptions::kRingWav;
    ring.outputPath = PathOf("ring");
    saved = AudioSaver::Save(*mix, ring, work, nullptr);
    ASSERT_TRUE(saved.saved);
    EXPECT_EQ(saved.path, PathOf("ring.wav"));
    QByteArray probe;
    ASSERT_TRUE(RunTool("ffprobe", {"-v", "error", "-show_entries", "stream=sample_rate,channels",
                                    "-of", "csv=p=0", saved.path}, &probe));
    EXPECT_EQ(probe.trimmed(), "8000,1");

    SaveOptions mp3;
    mp3.saveType = SaveOptions::kMp3;
    mp3.outputPath = PathOf("song");
    mp3.encoderOptions = " -b 128";
    mp3.writeTag = 1;
    mp3.title = QStringLiteral("新歌曲标题");
    mp3.artist = QStringLiteral("歌手");
    mp3.album = QStringLiteral("专辑");
    mp3.year = QStringLiteral("2008");
    mp3.comment = QStringLiteral("注释");
    mp3.copyright = QStringLiteral("版权所有");
    mp3.genre = QStringLiteral("Blues");
    saved = AudioSaver::Save(*mix, mp3, work, nullptr);
    ASSERT_TRUE(saved.saved) << saved.messages.join(" ");
    EXPECT_EQ(saved.path, PathOf("song.mp3"));
    ASSERT_TRUE(RunTool("ffprobe", {"-v", "error", "-show_entries",
                                    "stream=sample_rate,channels:format_tags=title,artist,"
                                    "comment,genre",
                                    "-of", "default=nw=1", saved.path}, &probe));
    EXPECT_TRUE(probe.contains("sample_rate=44100")) << probe;
    EXPECT_TRUE(probe.contains("channels=2")) << probe;
    const QString tags = QString::fromUtf8(probe);
    EXPECT_TRUE(tags.contains(QStringLiteral("TAG:title=新歌曲标题\n"))) << qPrintable(tags);
    EXPECT_TRUE(tags.contains(QStringLiteral("TAG:artist=歌手\n"))) << qPrintable(tags);
    EXPECT_TRUE(tags.contains(QStringLiteral("TAG:comment=注释\n"))) << qPrintable(tags);
    EXPECT_TRUE(tags.contains(QStringLiteral("TAG:genre=Blues\n"))) << qPrintable(tags);
    const QByteArray bytes = ReadAll(saved.path);
    EXPECT_EQ(bytes.count("TCOP"), 1);
    // The ID3v1 block: the title's GBK bytes and Blues, genre 0.
    const QByteArray v1 = bytes.right(128);
    ASSERT_TRUE(v1.startsWith("TAG"));
    EXPECT_TRUE(v1.mid(3, 30).startsWith(IconvGbk(QStringLiteral("新歌曲标题"))));
    EXPECT_EQ(uint8_t(v1.at(127)), 0);
}

TEST(Saving, AFailingEncoderWritesNothing)
{
    const QString work = WorkFolder();
    auto mix = AudioFileLoader::Load(MakeWav("mix.wav", 44100, 2, 0.5), work, 0, nullptr).clip;
    ASSERT_TRUE(mix);
    const QString bin = TestEnvironment::Home() + "/bin";
    QDir().mkpath(bin);
    WriteAll(bin + "/lame", "#!/bin/sh\nexit 2\n");
    QFile::setPermissions(bin + "/lame", QFile::ReadOwner | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", (bin + ":" + path).toLocal8Bit());
    WriteAll(PathOf("keep.mp3"), "old");
    SaveOptions mp3;
    mp3.saveType = SaveOptions::kMp3;
    mp3.outputPath = PathOf("keep.mp3");
    mp3.writeTag = 1;
    const AudioSaver::Result saved = AudioSaver::Save(*mix, mp3, work, nullptr);
    qputenv("PATH", path);
    EXPECT_FALSE(saved.saved);
    EXPECT_EQ(saved.messages, QStringList{QStringLiteral("转换MP3时失败！")});
    EXPECT_EQ(ReadAll(PathOf("keep.mp3")), "old") << "the user's file is untouched";
    EXPECT_TRUE(QFile::exists(work + "/~Temp.wav"));
}

} // namespace
