#include "audio/RingFiles.h"
#include "audio/WmaFormatList.h"
#include "audio/WmaWriter.h"
#include "tests/audio/EncodedFixtures.h"
#include "tests/audio/ToneFixtures.h"
#include "tests/support/DecodedSamples.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <vector>

using namespace EncodedFixtures;

namespace {

WaveFormatEx Wma(uint32_t rate, uint32_t bytesPerSecond, uint16_t channels = 1, uint16_t bits = 16)
{
    WaveFormatEx format;
    format.formatTag = CWmaWriter::kWmaFormatTag;
    format.channels = channels;
    format.samplesPerSec = rate;
    format.avgBytesPerSec = bytesPerSecond;
    format.bitsPerSample = bits;
    return format;
}

// ffprobe's view of a ring file: format, first stream and tags.
struct RingView
{
    QString format;
    QString codec;
    int rate = 0;
    int channels = 0;
    qint64 bitRate = 0;
    double duration = -1;
    QString title;
    QString comment;
};

RingView Probe(const QString& path)
{
    QByteArray out;
    RingView view;
    if (!RunTool("ffprobe",
                 {"-v", "error", "-show_entries",
                  "format=format_name,duration:format_tags=title,comment:"
                  "stream=codec_name,sample_rate,channels,bit_rate",
                  "-of", "json", path},
                 &out))
        return view;
    const QJsonObject root = QJsonDocument::fromJson(out).object();
    const QJsonObject format = root["format"].toObject();
    const QJsonObject stream = root["streams"].toArray().at(0).toObject();
    view.format = format["format_name"].toString();
    view.duration = format["duration"].toString().toDouble();
    view.title = format["tags"].toObject()["title"].toString();
    view.comment = format["tags"].toObject()["comment"].toString();
    view.codec = stream["codec_name"].toString();
    view.rate = stream["sample_rate"].toString().toInt();
    view.channels = stream["channels"].toInt();
    view.bitRate = stream["bit_rate"].toString().toLongLong();
    return view;
}

QByteArray DecodeWithFfmpeg(const QString& path)
{
    QByteArray pcm;
    RunTool("ffmpeg", {"-v", "error", "-i", path, "-f", "s16le", "-ac", "1", "-"}, &pcm);
    return pcm;
}


// Where the loudest sample within a frame (2048 samples) either side of at
// lies.
qint64 LoudestNear(const std::vector<double>& samples, qint64 at)
{
    const qint64 from = std::max<qint64>(0, at - 2048);
    const qint64 to = std::min<qint64>(static_cast<qint64>(samples.size()), at + 2048);
    qint64 loudest = -1;
    for (qint64 i = from; i < to; ++i)
        if (loudest < 0 || std::abs(samples[i]) > std::abs(samples[loudest]))
            loudest = i;
    return loudest;
}

// Writes the clip's bytes in chunks of chunkBytes, each timed by its first
// sample.
HRESULT WriteInChunks(const QString& path, const CWaveDoc& clip, const WaveFormatEx& format,
                      uint32_t chunkBytes)
{
    CWmaWriter writer;
    if (HRESULT r = writer.Open(format); r != S_OK)
        return r;
    writer.SetFileName(path);
    if (HRESULT r = writer.BeginWriting(); r != S_OK)
        return r;
    const uint32_t size = clip.GetDataSize();
    const CMappedView all = clip.GetStore()->MapView(0, size);
    for (uint32_t offset = 0; offset < size; offset += chunkBytes) {
        const int64_t time = int64_t{offset / 2} * 10'000'000 / format.samplesPerSec;
        const HRESULT r =
            writer.WriteSample(all.data() + offset, time, std::min(chunkBytes, size - offset));
        if (r != S_OK)
            return r;
    }
    return writer.EndWriting();
}

const WaveFormatEx kRing44k = Wma(44100, 8000);

} // namespace

TEST(WmaWriter, OpensOnlyOfferedFormats)
{
    const struct
    {
        const char* name;
        WaveFormatEx format;
    } refused[] = {
        {"byte rate not offered", Wma(44100, 5000)},
        {"below the encoder's floor", Wma(8000, 2000)},
        {"stereo", Wma(44100, 8000, 2)},
        {"8 bits", Wma(44100, 8000, 1, 8)},
        {"rate not offered", Wma(48000, 8000)},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.name);
        CWmaWriter writer;
        EXPECT_EQ(writer.Open(c.format), E_FAIL);
    }
    for (const WaveFormatEx& offered : CWmaWriter::OfferedFormats()) {
        SCOPED_TRACE(offered.samplesPerSec);
        CWmaWriter writer;
        EXPECT_EQ(writer.Open(offered), S_OK);
    }
    CWmaWriter writer;
    ASSERT_EQ(writer.Open(kRing44k), S_OK);
    EXPECT_EQ(writer.Open(Wma(48000, 1)), S_OK) << "an opened writer stays as it is";
}

TEST(WmaWriter, CallsOutOfOrderFail)
{
    const uint8_t pcm[4] = {};
    CWmaWriter writer;
    EXPECT_EQ(writer.BeginWriting(), E_FAIL) << "not opened";
    ASSERT_EQ(writer.Open(kRing44k), S_OK);
    EXPECT_EQ(writer.BeginWriting(), E_FAIL) << "no file name";
    EXPECT_EQ(writer.WriteSample(pcm, 0, 4), E_FAIL) << "not writing";
    EXPECT_EQ(writer.EndWriting(), E_FAIL) << "not writing";
    writer.SetFileName(PathOf("x.kox"));
    ASSERT_EQ(writer.BeginWriting(), S_OK);
    EXPECT_EQ(writer.WriteSample(pcm, 10'000'000, 4), S_OK);
    EXPECT_EQ(writer.WriteSample(pcm, 0, 4), E_INVALIDARG) << "a time already written";
}

TEST(WmaWriter, TenSecondToneAsFfprobeAndFfmpegSeeIt)
{
    const auto clip = ToneFixtures::ToneClip(44100, 10.0);
    ASSERT_TRUE(clip);
    const QString path = PathOf("tone.kox");
    ASSERT_EQ(RingFiles::WriteRingFile(path, *clip, &kRing44k), S_OK);

    const RingView view = Probe(path);
    EXPECT_EQ(view.format, "asf");
    EXPECT_EQ(view.codec, "wmav2");
    EXPECT_EQ(view.channels, 1);
    EXPECT_EQ(view.rate, 44100);
    EXPECT_EQ(view.bitRate, 64000);
    EXPECT_EQ(view.title, "KOX");
    // The file's "Description" attribute, as FFmpeg names it.
    EXPECT_EQ(view.comment, "Powered by Quillon Tech.");
    // The container counts the leading frame of silence as well.
    EXPECT_NEAR(view.duration, 10.0, 3 * 2048.0 / 44100);

    const std::vector<double> decoded = ToneFixtures::Samples(DecodeWithFfmpeg(path));
    ASSERT_GT(decoded.size(), 44100u * 9);
    const double peak = ToneFixtures::PeakFrequency(decoded, 44100);
    std::cout << "[ ffmpeg ] peak " << peak << " Hz\n";
    EXPECT_NEAR(peak, 1000, 3);
}

TEST(WmaWriter, EverySampleOfTheClipIsDecodedInPlace)
{
    // The shortest and the longest ring, at the project's rate and the
    // lowest. Two bursts mark the clip's first and last moments.
    const struct
    {
        WaveFormatEx format;
        int frameLength; // FFmpeg's wmav2 frame at that rate
        double seconds;
    } cases[] = {
        {Wma(44100, 12000), 2048, 5.0},
        {Wma(44100, 12000), 2048, 55.0},
        {Wma(8000, 4000), 512, 5.0},
        {Wma(8000, 4000), 512, 55.0},
    };
    for (const auto& c : cases) {
        const uint32_t rate = c.format.samplesPerSec;
        SCOPED_TRACE(std::to_string(rate) + " Hz, " + std::to_string(c.seconds) + " s");
        EXPECT_EQ(CWmaWriter::FrameLength(rate), c.frameLength);
        const auto frames = static_cast<qint64>(rate * c.seconds);
        std::vector<int16_t> pcm(static_cast<size_t>(frames));
        const qint64 bursts[] = {20, frames - 400};
        for (qint64 at : bursts)
            for (qint64 i = 0; i < 200; ++i)
                pcm[static_cast<size_t>(at + i)] = (i / 10) % 2 ? -20000 : 20000;
        const QString path = PathOf("whole.kox");
        ASSERT_EQ(RingFiles::WriteRingFile(path, MakePcmFormat(1, rate, 16),
                                           reinterpret_cast<const uint8_t*>(pcm.data()),
                                           static_cast<uint32_t>(2 * frames), &c.format),
                  S_OK);
        // The decoded ring is the clip and the silence that fills its last
        // frame: never shorter, less than a frame longer.
        const qint64 decoded = DecodedSamples(path);
        std::cout << "[ ffprobe ] " << rate << " Hz, " << frames << " samples given: " << decoded
                  << " decoded (" << double(decoded) / rate << " s)\n";
        EXPECT_GE(decoded, frames);
        EXPECT_LT(decoded, frames + c.frameLength);
        const std::vector<double> samples = ToneFixtures::Samples(DecodeWithFfmpeg(path));
        ASSERT_EQ(static_cast<qint64>(samples.size()), decoded);
        // Each burst decodes where it was (give or take the codec's smear),
        // not a frame early or late.
        for (qint64 at : bursts)
            EXPECT_NEAR(LoudestNear(samples, at), at + 100, 164);
    }
    EXPECT_EQ(CWmaWriter::FrameLength(48000), 0) << "a rate the writer is not offered at";
}

TEST(WmaWriter, EveryListedFormatMakesAReadableFile)
{
    CWmaFormatList list;
    list.Build(CWmaWriter::OfferedFormats());
    for (const WaveFormatEx& entry : list.Entries()) {
        SCOPED_TRACE(entry.samplesPerSec);
        const auto clip = ToneFixtures::ToneClip(entry.samplesPerSec, 1.0, 440);
        const QString path = PathOf("rate.kox");
        ASSERT_EQ(RingFiles::WriteRingFile(path, *clip, &entry), S_OK);
        const RingView view = Probe(path);
        EXPECT_EQ(view.codec, "wmav2");
        EXPECT_EQ(view.rate, static_cast<int>(entry.samplesPerSec));
        EXPECT_EQ(view.bitRate, int64_t{entry.avgBytesPerSec} * 8);
        const std::vector<double> decoded = ToneFixtures::Samples(DecodeWithFfmpeg(path));
        EXPECT_NEAR(ToneFixtures::PeakFrequency(decoded, entry.samplesPerSec), 440, 5);
    }
}

TEST(WmaWriter, ChunkSizeDoesNotChangeTheAudio)
{
    const auto clip = ToneFixtures::ToneClip(22050, 1.5, 700);
    const WaveFormatEx format = Wma(22050, 6000);
    const QString whole = PathOf("whole.kox"), pieces = PathOf("pieces.kox");
    ASSERT_EQ(WriteInChunks(whole, *clip, format, clip->GetDataSize()), S_OK);
    // 777 samples: never a frame's size, so frames straddle chunks.
    ASSERT_EQ(WriteInChunks(pieces, *clip, format, 2 * 777), S_OK);
    const QByteArray a = DecodeWithFfmpeg(whole), b = DecodeWithFfmpeg(pieces);
    ASSERT_FALSE(a.isEmpty());
    EXPECT_TRUE(a == b) << "decoded sizes " << a.size() << " and " << b.size();
}

TEST(WmaWriter, GapInTimesIsSilence)
{
    const auto clip = ToneFixtures::ToneClip(16000, 0.5);
    const WaveFormatEx format = Wma(16000, 6000);
    CWmaWriter writer;
    ASSERT_EQ(writer.Open(format), S_OK);
    const QString path = PathOf("gap.kox");
    writer.SetFileName(path);
    ASSERT_EQ(writer.BeginWriting(), S_OK);
    const CMappedView pcm = clip->GetStore()->MapView(0, clip->GetDataSize());
    ASSERT_EQ(writer.WriteSample(pcm.data(), 0, 16000), S_OK);
    ASSERT_EQ(writer.WriteSample(pcm.data(), 10'000'000, 16000), S_OK);
    ASSERT_EQ(writer.EndWriting(), S_OK);
    const std::vector<double> decoded = ToneFixtures::Samples(DecodeWithFfmpeg(path));
    ASSERT_GE(decoded.size(), 23000u);
    double loudest = 0;
    // Inside the gap (0.5 s to 1 s) it is quiet, a frame (512 samples) away
    // from the tone on either side.
    for (size_t i = 8512; i < 15488; ++i)
        loudest = std::max(loudest, std::abs(decoded[i]));
    EXPECT_LT(loudest, 300);
}

TEST(WmaWriter, ReleasedMidwayLeavesNothingAndOpensAgain)
{
    const auto clip = ToneFixtures::ToneClip(44100, 2.0);
    const CMappedView pcm = clip->GetStore()->MapView(0, clip->GetDataSize());
    const QString path = PathOf("midway.kox");
    CWmaWriter writer;
    ASSERT_EQ(writer.Open(kRing44k), S_OK);
    writer.SetFileName(path);
    ASSERT_EQ(writer.BeginWriting(), S_OK);
    ASSERT_EQ(writer.WriteSample(pcm.data(), 0, 88200), S_OK);
    writer.ReleaseAll();
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(QDir(TestEnvironment::Home()).entryList(QDir::Files).isEmpty());

    ASSERT_EQ(writer.Open(kRing44k), S_OK);
    ASSERT_EQ(writer.BeginWriting(), S_OK);
    ASSERT_EQ(writer.WriteSample(pcm.data(), 0, 88200), S_OK);
    ASSERT_EQ(writer.EndWriting(), S_OK);
    EXPECT_EQ(Probe(path).codec, "wmav2");
}
