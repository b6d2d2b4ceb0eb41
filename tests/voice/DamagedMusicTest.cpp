// Damaged and oversized music through both programs' open paths: the file
// open Brevanta's timeline runs on its worker, and Kelvo's music open. What
// opens holds what ffmpeg decodes; the memory an open takes stays far below
// the size of the file it reads.
#include "audio/AudioFileLoader.h"
#include "platform/IMessageSink.h"
#include "tests/audio/EncodedFixtures.h"
#include "voice/Brevanta.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <random>

using namespace EncodedFixtures;

namespace {

struct RecordingSink : IMessageSink
{
    void ShowMessage(const QString& text) override { messages << text; }
    QStringList messages;
};

// A "VmRSS:"-style line of /proc/self/status, in kB; -1 when missing.
int64_t StatusKb(const QByteArray& key)
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// How far this process's resident memory rose above its level before work
// ran, in MB: the kernel's high-water mark is reset first (clear_refs 5).
double PeakGrowthMb(const std::function<void()>& work)
{
    const int64_t before = StatusKb("VmRSS:");
    QFile reset("/proc/self/clear_refs");
    const bool cleared = reset.open(QIODevice::WriteOnly) && reset.write("5") == 1;
    reset.close();
    work();
    const int64_t peak = StatusKb("VmHWM:");
    EXPECT_TRUE(cleared && before > 0 && peak > 0) << "peak memory is not readable";
    return static_cast<double>(peak - before) / 1024.0;
}

QByteArray NoiseBytes(int count)
{
    std::mt19937 random(33);
    QByteArray bytes(count, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random() & 0xFF);
    return bytes;
}

QString Write(const QString& name, const QByteArray& bytes)
{
    const QString path = PathOf(name);
    return WriteAll(path, bytes) ? path : QString();
}

// path grown by bytes of zeros that take no disk.
bool AppendHole(const QString& path, qint64 bytes)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.resize(file.size() + bytes);
}

// An ID3v2.3 tag holding one text frame.
QByteArray TextTag(const QByteArray& id, const QByteArray& text)
{
    QByteArray frame = id;
    const uint32_t size = static_cast<uint32_t>(text.size() + 1);
    for (int shift : {24, 16, 8, 0})
        frame += static_cast<char>((size >> shift) & 0xFF);
    frame += QByteArray(2, '\0') + '\0' + text;
    QByteArray tag("ID3\x03\x00\x00", 6);
    for (int shift : {21, 14, 7, 0})
        tag += static_cast<char>((frame.size() >> shift) & 0x7F);
    return tag + frame;
}

// A 44-byte WAV header whose data chunk declares bytes of 16-bit samples.
QByteArray WaveHeader(uint16_t channels, uint32_t rate, uint32_t bytes)
{
    QByteArray header;
    const auto u16 = [&header](uint16_t v) {
        header += static_cast<char>(v & 0xFF);
        header += static_cast<char>(v >> 8);
    };
    const auto u32 = [&u16](uint32_t v) {
        u16(static_cast<uint16_t>(v & 0xFFFF));
        u16(static_cast<uint16_t>(v >> 16));
    };
    header += "RIFF";
    u32(bytes + 36);
    header += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(channels);
    u32(rate);
    u32(rate * channels * 2);
    u16(static_cast<uint16_t>(channels * 2));
    u16(16);
    header += "data";
    u32(bytes);
    return header;
}

// The sample frames of the first audio stream as ffmpeg decodes it to 16-bit
// PCM; -1 on failure.
int64_t FfmpegFrames(const QString& path, int channels)
{
    QByteArray out;
    if (!RunTool("ffmpeg",
                 {"-v", "error", "-i", "file:" + path, "-map", "0:a:0", "-f", "s16le", "-acodec",
                  "pcm_s16le", "-"},
                 &out))
        return -1;
    return out.size() / (2 * channels);
}

// The sample frames of a PCM WAV file as ffprobe counts them from its header.
int64_t FfprobeFrames(const QString& path)
{
    QByteArray out;
    if (!RunTool("ffprobe",
                 {"-v", "error", "-select_streams", "a:0", "-show_entries", "stream=duration_ts",
                  "-of", "json", "file:" + path},
                 &out))
        return -1;
    const QJsonObject stream =
        QJsonDocument::fromJson(out).object()["streams"].toArray().at(0).toObject();
    return stream["duration_ts"].toVariant().toLongLong();
}

enum class Outcome {
    Opens,           // both programs open it, as long as ffmpeg decodes it
    TooLongForKelvo, // Brevanta opens it; Kelvo says it is too long
    NoAudio,         // nothing decodes: both refuse it
};

struct Row
{
    const char* name;
    std::function<QString()> make;
    Outcome outcome;
    int channels;
    bool countByHeader; // a WAV too large to decode through a pipe
};

// What an open may take at most, whatever the file's size: a 30-s song is
// about 5 MB of samples. The sanitizer's quarantine of freed blocks counts
// too (about 100 MB for the zeros), so the bound only tells a bounded open
// from one that holds what it reads: the large files here are 256 MB and
// 1 GiB.
constexpr double kMaxGrowthMb = 200;

TEST(DamagedMusic, BothProgramsOpenWhatFfmpegDecodes)
{
    const QString song = MakeMp3("song.mp3", 44100, 30.0, {"-b", "128"});
    ASSERT_FALSE(song.isEmpty());
    const QString wma = PathOf("song.wma");
    ASSERT_TRUE(RunTool("ffmpeg", {"-v", "error", "-f", "lavfi", "-i",
                                   "sine=frequency=440:sample_rate=44100:duration=30", "-ac", "2",
                                   "-c:a", "wmav2", "-b:a", "128k", "-f", "asf", wma}));
    const QByteArray mp3 = ReadAll(song);
    const QString work = PathOf("work");
    ASSERT_TRUE(QDir().mkpath(work));

    const auto withTail = [](const QString& name, const QString& source, int bytes) {
        return [=] { return Write(name, ReadAll(source) + NoiseBytes(bytes)); };
    };
    // A second over Kelvo's 1-GiB budget at 44.1 kHz stereo.
    const uint32_t overBudget = (uint32_t{1} << 30) + 176400;
    const Row rows[] = {
        {"200 KB of noise behind an MP3", withTail("tail200k.mp3", song, 200 * 1024),
         Outcome::Opens, 2, false},
        {"400 KB of noise behind an MP3", withTail("tail400k.mp3", song, 400 * 1024),
         Outcome::Opens, 2, false},
        {"1 MB of noise behind an MP3", withTail("tail1m.mp3", song, 1024 * 1024), Outcome::Opens,
         2, false},
        {"256 MB of zeros behind an MP3",
         [&] {
             const QString path = Write("zeros.mp3", mp3);
             return AppendHole(path, qint64{256} << 20) ? path : QString();
         },
         Outcome::Opens, 2, false},
        {"16000 chained ID3v2 tags before an MP3",
         [&] {
             return Write("chained.mp3", TextTag("TIT2", "First") +
                                             TextTag("TPE1", "Other").repeated(15999) + mp3);
         },
         Outcome::Opens, 2, false},
        {"400 KB of noise behind a WMA", withTail("tail400k.wma", wma, 400 * 1024), Outcome::Opens,
         2, false},
        {"1 MB of noise named MP3", [] { return Write("noise.mp3", NoiseBytes(1024 * 1024)); },
         Outcome::NoAudio, 2, false},
        {"a WAV a second over 1 GiB",
         [&] {
             const QString path = Write("long.wav", WaveHeader(2, 44100, overBudget));
             return AppendHole(path, overBudget) ? path : QString();
         },
         Outcome::TooLongForKelvo, 2, true},
    };

    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = row.make();
        ASSERT_FALSE(path.isEmpty());
        const int64_t tool =
            row.countByHeader ? FfprobeFrames(path) : FfmpegFrames(path, row.channels);
        if (row.outcome != Outcome::NoAudio)
            ASSERT_GT(tool, 0);
        // The end of an MP3 before its damage may decode one frame apart.
        constexpr int64_t kFrame = 1152;

        int64_t brevantaFrames = 0;
        int64_t kelvoFrames = 0;
        AudioFileLoader::Result brevanta;
        const double brevantaMb =
            PeakGrowthMb([&] { brevanta = AudioFileLoader::Load(path, work, 0, nullptr); });
        EXPECT_LT(brevantaMb, kMaxGrowthMb) << "Brevanta";
        if (row.outcome == Outcome::NoAudio) {
            EXPECT_EQ(brevanta.clip, nullptr);
            EXPECT_FALSE(brevanta.messages.isEmpty());
        } else {
            ASSERT_NE(brevanta.clip, nullptr) << brevanta.messages.join(",").toStdString();
            EXPECT_TRUE(brevanta.messages.isEmpty());
            brevantaFrames = brevanta.clip->GetDataSize() / brevanta.clip->GetFormat().blockAlign;
            EXPECT_NEAR(brevantaFrames, tool, kFrame) << "Brevanta";
        }
        brevanta.clip.reset();

        RecordingSink sink;
        std::atomic<bool> busy{false};
        CBrevanta kelvo{nullptr, &sink, &busy, nullptr, nullptr};
        const double kelvoMb = PeakGrowthMb([&] {
            kelvo.OpenFileAsync(path);
            kelvo.WaitForOpen();
        });
        EXPECT_LT(kelvoMb, kMaxGrowthMb) << "Kelvo";
        const WaveData& music = kelvo.GetMusic();
        switch (row.outcome) {
        case Outcome::Opens: {
            ASSERT_FALSE(music.IsSilentDefault()) << sink.messages.join(",").toStdString();
            EXPECT_TRUE(sink.messages.isEmpty());
            kelvoFrames = music.GetSize() / music.GetFormat().blockAlign;
            EXPECT_NEAR(kelvoFrames, tool, kFrame) << "Kelvo";
            break;
        }
        case Outcome::TooLongForKelvo:
            EXPECT_TRUE(music.IsSilentDefault());
            EXPECT_EQ(sink.messages,
                      QStringList{"音乐太长，编辑器无法打开！这种格式的音乐最长约101分钟。"});
            break;
        case Outcome::NoAudio:
            EXPECT_TRUE(music.IsSilentDefault());
            EXPECT_EQ(sink.messages.size(), 1);
            break;
        }
        // Kept in the XML report (--gtest_output=xml).
        ::testing::Test::RecordProperty(
            QFileInfo(path).fileName().toStdString(),
            QString("frames ffmpeg %1 Brevanta %2 Kelvo %3; peak growth MB Brevanta %4 Kelvo %5")
                .arg(tool)
                .arg(brevantaFrames)
                .arg(kelvoFrames)
                .arg(brevantaMb, 0, 'f', 1)
                .arg(kelvoMb, 0, 'f', 1)
                .toStdString());
        QFile::remove(path);
    }
}

} // namespace
