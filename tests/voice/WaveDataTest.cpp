#include "voice/WaveData.h"
#include "tests/audio/EncodedFixtures.h"
#include "tests/support/PythonWave.h"

#include "platform/IMessageSink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

using namespace EncodedFixtures;

namespace {

struct RecordingSink : IMessageSink
{
    void ShowMessage(const QString& text) override { messages << text; }
    QStringList messages;
};

std::unique_ptr<WaveBuffer> BufferOf(const std::vector<int16_t>& samples)
{
    auto buffer = std::make_unique<WaveBuffer>(static_cast<uint32_t>(samples.size() * 2));
    std::memcpy(buffer->data.get(), samples.data(), buffer->size);
    return buffer;
}

int16_t SampleAt(const WaveData& track, uint32_t index)
{
    int16_t value;
    std::memcpy(&value, track.GetData() + 2 * index, 2);
    return value;
}

TEST(WaveData, LengthIsExactAndBytesAreWholeFrames)
{
    struct Case
    {
        WaveFormat format;
        uint32_t bytes;
        uint32_t lengthMs;
    };
    const Case cases[] = {
        {MakePcmFormat(1, 8000, 8), 2880000, 360000},
        {MakePcmFormat(2, 22050, 16), 88200, 1000},
        // A 55-s ring decoded at 44.1 kHz: 88.2 bytes a ms, not 88 (55109).
        {MakePcmFormat(1, 44100, 16), 4849664, 54984},
        {MakePcmFormat(1, 22050, 16), 2424832, 54984},
        {MakePcmFormat(1, 400, 8), 800, 2000}, // under 1000 bytes/s
        {WaveFormat{}, 100, 0},
    };
    for (const Case& c : cases) {
        WaveData track;
        track.SetFormat(c.format);
        EXPECT_EQ(track.GetLengthMs(), 0u);
        track.SetBuffer(std::make_unique<WaveBuffer>(c.bytes));
        EXPECT_EQ(track.GetLengthMs(), c.lengthMs) << c.format.avgBytesPerSec;
    }
    WaveData voice;
    voice.SetFormat(MakePcmFormat(2, 22050, 16));
    EXPECT_EQ(voice.MsToBytes(100), 8820u);
    EXPECT_EQ(voice.MsToBytes(1), 88u); // 88.2 cut to whole frames
    EXPECT_EQ(voice.GetPlaybackFormat().extraSize, 18);
}

TEST(WaveData, SilenceReadAndRewind)
{
    WaveData track;
    uint32_t got = 7;
    char byte;
    EXPECT_EQ(track.Read(&byte, 1, &got), kNotInitialized);
    track.MakeSilence();
    EXPECT_TRUE(track.IsSilentDefault());
    ASSERT_EQ(track.GetSize(), 2880000u);
    EXPECT_EQ(track.GetLengthMs(), 360000u);
    std::vector<uint8_t> out(3000000);
    ASSERT_EQ(track.Read(out.data(), 3000000, &got), 0);
    EXPECT_EQ(got, 2880000u);
    EXPECT_EQ(out[0], 128);
    EXPECT_EQ(out[2879999], 128);
    ASSERT_EQ(track.Read(out.data(), 10, &got), 0);
    EXPECT_EQ(got, 0u);
    track.Rewind();
    EXPECT_EQ(track.GetReadPosition(), 0u);
}

TEST(WaveData, ReadsWavFilesAsSoxWritesThem)
{
    const QString pcm = MakeWav("tone.wav", 22050, 2, 0.25);
    ASSERT_FALSE(pcm.isEmpty());
    const PythonWave reference = ReadWithPython(pcm);
    ASSERT_TRUE(reference.ok);
    WaveData track;
    ASSERT_EQ(track.ReadWaveFile(pcm), 1);
    EXPECT_FALSE(track.IsSilentDefault());
    EXPECT_EQ(track.GetFormat(), MakePcmFormat(2, 22050, 16));
    ASSERT_EQ(track.GetSize(), static_cast<uint32_t>(reference.samples.size()));
    EXPECT_EQ(std::memcmp(track.GetData(), reference.samples.constData(), track.GetSize()), 0);

    // A-law expands through the standard's table: sox decodes it the same way.
    const QString alaw = PathOf("alaw.wav");
    ASSERT_TRUE(RunTool("sox", {pcm, "-e", "a-law", "-c", "1", alaw}));
    ASSERT_TRUE(RunTool("sox", {alaw, "-e", "signed", "-b", "16", PathOf("alaw16.wav")}));
    const PythonWave expanded = ReadWithPython(PathOf("alaw16.wav"));
    ASSERT_TRUE(expanded.ok);
    ASSERT_EQ(track.ReadWaveFile(alaw), 1);
    EXPECT_EQ(track.GetFormat(), MakePcmFormat(1, 22050, 16));
    ASSERT_EQ(track.GetSize(), static_cast<uint32_t>(expanded.samples.size()));
    EXPECT_EQ(std::memcmp(track.GetData(), expanded.samples.constData(), track.GetSize()), 0);
}

TEST(WaveData, BrokenFilesAreRefused)
{
    const QByteArray good = ReadAll(MakeWav("good.wav", 8000, 1, 0.1));
    ASSERT_FALSE(good.isEmpty());
    QByteArray zeroChannels = good;
    zeroChannels[22] = 0;
    QByteArray badAlign = good;
    badAlign[32] = 3;
    QByteArray floatTag = good;
    floatTag[20] = 3;
    QByteArray overlong = good;
    overlong[40] = '\xFF';
    overlong[41] = '\xFF';
    overlong[42] = '\xFF';
    overlong[43] = '\x7F';
    ASSERT_TRUE(RunTool("sox", {"-n", "-r", "8000", "-b", "24", "-c", "1", PathOf("wide.wav"),
                                "trim", "0", "0.1"}));
    struct Case
    {
        const char* name;
        QByteArray bytes;
        int result;
        uint32_t size; // of the track afterwards: kept until a data chunk is reached
    };
    const Case cases[] = {
        {"text", "hello, not a wave", 0, 2880000},
        {"zero channels", zeroChannels, 0, 2880000},
        {"block alignment", badAlign, 0, 2880000},
        {"float tag", floatTag, 0, 0},
        {"24 bits", ReadAll(PathOf("wide.wav")), 0, 0},
        {"data past the end", overlong, 1, static_cast<uint32_t>(good.size() - 44)},
        {"no data", good.left(36), 1, 2880000}, // the silence stays
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteAll(PathOf("case.wav"), c.bytes));
        WaveData track;
        track.MakeSilence();
        RecordingSink sink;
        EXPECT_EQ(track.ReadWaveFile(PathOf("case.wav"), &sink), c.result) << c.name;
        EXPECT_EQ(track.GetSize(), c.size) << c.name;
    }
    RecordingSink sink;
    WaveData track;
    ASSERT_TRUE(WriteAll(PathOf("text.wav"), "hello, not a wave"));
    EXPECT_EQ(track.ReadWaveFile(PathOf("text.wav"), &sink), 0);
    EXPECT_EQ(sink.messages, QStringList{"this file is not wave file!"});
}

// A WAV of 8000 Hz mono whose data chunk declares bytes and holds them as a
// hole (truncate makes the file sparse): nothing of it is on the disk.
QString SparseWave(const QString& name, uint16_t tag, uint16_t bits, uint64_t bytes)
{
    const WaveFormat f = MakePcmFormat(1, 8000, bits);
    QByteArray header;
    const auto u32 = [&](uint32_t v) { header.append(reinterpret_cast<const char*>(&v), 4); };
    const auto u16 = [&](uint16_t v) { header.append(reinterpret_cast<const char*>(&v), 2); };
    const uint32_t declared = static_cast<uint32_t>(std::min<uint64_t>(bytes, 0xFFFFFFFFu - 36));
    header.append("RIFF");
    u32(declared + 36);
    header.append("WAVEfmt ");
    u32(16);
    u16(tag);
    u16(f.channels);
    u32(f.samplesPerSec);
    u32(f.avgBytesPerSec);
    u16(f.blockAlign);
    u16(f.bitsPerSample);
    header.append("data");
    u32(declared);
    const QString path = PathOf(name);
    if (!WriteAll(path, header) || !RunTool("truncate", {"-s", QString::number(44 + bytes), path}))
        return QString();
    return path;
}

TEST(WaveData, MusicPastTheBudgetIsRefusedBeforeItIsRead)
{
    const uint64_t budget = WaveData::kMaxSampleBytes;
    const struct
    {
        const char* name;
        uint16_t tag;
        uint16_t bits;
        uint64_t bytes;
    } cases[] = {
        {"one byte past", kWaveFormatPcm, 8, budget + 1},
        {"a 4-GB file", kWaveFormatPcm, 16, 0xFFFFFFFFu - 36},
        {"A-law, twice as long once expanded", kWaveFormatAlaw, 8, budget / 2 + 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = SparseWave("huge.wav", c.tag, c.bits, c.bytes);
        ASSERT_FALSE(path.isEmpty());
        WaveData track;
        track.MakeSilence();
        EXPECT_EQ(track.ReadWaveFile(path), 0);
        EXPECT_TRUE(track.IsSilentDefault()) << "what was there stays";
        EXPECT_EQ(track.GetSize(), 2880000u);
    }
    // A file that small passes the same walk.
    const QString small = SparseWave("small.wav", kWaveFormatAlaw, 8, 8000);
    WaveData track;
    ASSERT_EQ(track.ReadWaveFile(small), 1);
    EXPECT_EQ(track.GetSize(), 16000u);
}

// Kelvo's reader shares the WAV walk: samples written before their format
// record are read with it.
TEST(WaveData, SamplesBeforeTheirFormatAreRead)
{
    const QByteArray good = ReadAll(MakeWav("good.wav", 8000, 1, 0.1));
    ASSERT_EQ(good.mid(12, 4), "fmt ");
    ASSERT_EQ(good.mid(36, 4), "data");
    ASSERT_TRUE(WriteAll(PathOf("order.wav"), good.left(12) + good.mid(36) + good.mid(12, 24)));
    WaveData track;
    ASSERT_EQ(track.ReadWaveFile(PathOf("order.wav"), nullptr), 1);
    EXPECT_EQ(track.GetSize(), uint32_t(good.size() - 44));
    ASSERT_NE(track.GetData(), nullptr);
    EXPECT_EQ(std::memcmp(track.GetData(), good.constData() + 44, good.size() - 44), 0);
    EXPECT_EQ(track.GetFormat().samplesPerSec, 8000u);
}

TEST(WaveData, ConversionKeepsLevelsAndChannels)
{
    // 22050 Hz stereo to the ring format: about 8000/22050 of the frames,
    // never beyond +-32000.
    std::vector<int16_t> loud;
    for (int i = 0; i < 22050; ++i) {
        const int16_t v = (i / 400) % 2 ? 32767 : -32768;
        loud.push_back(v);
        loud.push_back(v);
    }
    WaveData stereo;
    stereo.SetFormat(MakePcmFormat(2, 22050, 16));
    stereo.SetBuffer(BufferOf(loud));
    const auto ring = stereo.ConvertFormat(MakePcmFormat(1, 8000, 16));
    ASSERT_TRUE(ring);
    EXPECT_NEAR(ring->GetSize() / 2.0, 8000, 10);
    int peak = 0;
    for (uint32_t i = 0; i < ring->GetSize() / 2; ++i)
        peak = std::max(peak, std::abs(int{SampleAt(*ring, i)}));
    // Left weighs twice the right: full scale on both comes out at 3/4.
    EXPECT_LE(peak, 32000);
    EXPECT_GT(peak, 24000);

    // 8-bit full scale keeps its level in 16 bits; mono to stereo repeats.
    auto bytes = std::make_unique<WaveBuffer>(8000);
    for (uint32_t i = 0; i < bytes->size; ++i)
        bytes->data[i] = (i / 40) % 2 ? 255 : 0;
    WaveData eight;
    eight.SetFormat(MakePcmFormat(1, 8000, 8));
    eight.SetBuffer(std::move(bytes));
    const auto wide = eight.ConvertFormat(MakePcmFormat(2, 8000, 16));
    ASSERT_TRUE(wide);
    int low = 0;
    int high = 0;
    for (uint32_t i = 0; i < wide->GetSize() / 4; ++i) {
        EXPECT_EQ(SampleAt(*wide, 2 * i), SampleAt(*wide, 2 * i + 1)) << i;
        low = std::min(low, int{SampleAt(*wide, 2 * i)});
        high = std::max(high, int{SampleAt(*wide, 2 * i)});
    }
    EXPECT_EQ(low, -32000);
    EXPECT_GT(high, 30000);

    EXPECT_FALSE(eight.ConvertFormat(MakePcmFormat(1, 8000, 24)));
    const auto raw =
        ConvertBuffer(WaveBuffer(0), MakePcmFormat(1, 8000, 8), MakePcmFormat(1, 16000, 16));
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->size, 0u);
}

} // namespace
