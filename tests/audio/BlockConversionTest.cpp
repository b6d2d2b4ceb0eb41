#include "audio/PcmStreamConverter.h"
#include "audio/WaveDataReader.h"
#include "audio/WaveDoc.h"
#include "audio/WaveHeader.h"
#include "tests/support/ConversionFixtures.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WholeBufferConversion.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

using namespace ConversionFixtures;

struct ConvertCase
{
    const char* name;
    WaveFormat from;
    WaveFormat target;
    uint32_t frames;
};

// Down and up, factors near 1, both channel changes, 8 and 16 bits, and
// lengths around the resampler's work buffer (4096 frames at these factors)
// and its filter's reach.
const ConvertCase kCases[] = {
    {"RingFromProject", kProjectFormat, kRingFormat, 100003},
    {"ProjectFrom22k", MakePcmFormat(2, 22050, 16), kProjectFormat, 45001},
    {"MonoToStereoUp", MakePcmFormat(1, 8000, 16), kProjectFormat, 12347},
    {"FortyEightToRing", MakePcmFormat(2, 48000, 16), kRingFormat, 96001},
    {"NearOneDown", MakePcmFormat(2, 44100, 16), MakePcmFormat(2, 44000, 16), 30011},
    {"NearOneUp", MakePcmFormat(1, 44100, 16), MakePcmFormat(1, 44110, 16), 30011},
    {"Same rate", MakePcmFormat(2, 22050, 16), MakePcmFormat(1, 22050, 16), 9999},
    {"EightBitStereo", MakePcmFormat(2, 11025, 8), MakePcmFormat(2, 16000, 8), 30011},
    {"EightBitToRing", MakePcmFormat(2, 22050, 8), kRingFormat, 40000},
    {"SixteenToEight", MakePcmFormat(1, 44100, 16), MakePcmFormat(1, 11025, 8), 20001},
    {"WholeWorkBuffer", MakePcmFormat(1, 22050, 16), kProjectFormat, 4096},
    {"WorkBufferAndOne", MakePcmFormat(1, 22050, 16), kProjectFormat, 4097},
    {"ShorterThanTheFilter", MakePcmFormat(1, 22050, 16), kProjectFormat, 7},
    {"OneFrame", kProjectFormat, kRingFormat, 1},
    {"Empty", kProjectFormat, kRingFormat, 0},
    // A reach of 5410 frames makes the work buffer 10830 long, past its
    // least size; the first fill takes 5420 frames, later ones about 310.
    {"LongReach", MakePcmFormat(1, 300000, 16), MakePcmFormat(1, 1000, 16), 300007},
};

void PrintTo(const ConvertCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string CaseName(const testing::TestParamInfo<ConvertCase>& info)
{
    std::string name = info.param.name;
    for (char& c : name)
        if (!isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

class BlockFed : public testing::TestWithParam<ConvertCase>
{
};

// Fed in blocks of any size, the conversion gives the samples, their count
// and the flush of one call over the whole input.
TEST_P(BlockFed, GivesTheWholeBufferConversion)
{
    const ConvertCase& c = GetParam();
    const std::vector<uint8_t> source = Noise(uint64_t{c.frames} * c.from.blockAlign, c.frames);
    for (const bool cut : {false, true}) {
        SCOPED_TRACE(cut ? "cut to the block alignment" : "every frame");
        const auto expected =
            WholeBufferConversion(source.data(), source.size(), c.from, c.target, cut);
        ASSERT_TRUE(expected);

        std::vector<uint8_t> out;
        uint64_t bytes = 0;
        ASSERT_TRUE(ConvertPcm(
            source.data(), source.size(), c.from, c.target, cut,
            [&](uint64_t room) {
                out.assign(room, 0xAA);
                return out.data();
            },
            &bytes));
        out.resize(bytes);
        ASSERT_EQ(out.size(), expected->size());
        EXPECT_TRUE(out == *expected) << "ConvertPcm";
    }

    const auto expected =
        WholeBufferConversion(source.data(), source.size(), c.from, c.target, false);
    for (const size_t block : {size_t{1}, size_t{97}, size_t{4096}, size_t{4097}, size_t{70000}}) {
        if (block == 1 && c.frames > 20000)
            continue;
        SCOPED_TRACE(testing::Message() << "blocks of " << block);
        PcmStreamConverter converter(c.from, c.target, c.frames);
        ASSERT_TRUE(converter.IsValid());
        std::vector<uint8_t> out;
        const auto sink = [&](const uint8_t* frames, size_t count) {
            out.insert(out.end(), frames, frames + count * c.target.blockAlign);
            return true;
        };
        for (uint32_t done = 0; done < c.frames; done += static_cast<uint32_t>(block)) {
            const size_t count = std::min<size_t>(block, c.frames - done);
            ASSERT_TRUE(
                converter.Push(source.data() + size_t{done} * c.from.blockAlign, count, sink));
        }
        ASSERT_TRUE(converter.Finish(sink));
        EXPECT_EQ(converter.OutputFrames() * c.target.blockAlign, int64_t(out.size()));
        ASSERT_EQ(out.size(), expected->size());
        EXPECT_TRUE(out == *expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, BlockFed, testing::ValuesIn(kCases), CaseName);

TEST(BlockFed, RefusesWhatTheWholeBufferConversionRefuses)
{
    const std::vector<uint8_t> source = Noise(400, 1);
    const WaveFormat refused[] = {MakePcmFormat(1, 8000, 24), MakePcmFormat(1, 0, 16),
                                  MakePcmFormat(0, 8000, 16)};
    for (const WaveFormat& target : refused) {
        uint64_t bytes = 0;
        EXPECT_FALSE(ConvertPcm(
            source.data(), source.size(), kProjectFormat, target, false,
            [](uint64_t) -> uint8_t* { return nullptr; }, &bytes));
    }
    // A factor libresample cannot take.
    EXPECT_FALSE(
        PcmStreamConverter(MakePcmFormat(1, 1, 16), MakePcmFormat(1, 200000, 16), 10).IsValid());
}

std::vector<uint8_t> StoreBytes(const CWaveDoc& clip)
{
    std::vector<uint8_t> bytes(clip.GetDataSize());
    if (!bytes.empty())
        EXPECT_TRUE(clip.GetStore()->ReadAt(0, bytes.data(), bytes.size()));
    return bytes;
}

// The number the next sample store takes: stores are numbered in order.
int NextStoreNumber()
{
    const auto probe = CMappedTempFile::Create(0);
    const QString name = QFileInfo(probe->GetPath()).completeBaseName();
    return name.mid(QStringLiteral("~KELVO").size()).toInt() + 1;
}

class WaveFileConversion : public testing::TestWithParam<FileCase>
{
};

// Brevanta's clip read straight into the target holds what reading the file
// and then converting the clip gives, split as that conversion splits it,
// and no store was made on the way but the clip's own.
TEST_P(WaveFileConversion, ClipHoldsWhatReadingThenConvertingGives)
{
    const FileCase& c = GetParam();
    const QString path =
        WriteWave("in.wav", c.file, Noise(uint64_t{c.frames} * c.file.blockAlign, 5));
    ASSERT_FALSE(path.isEmpty());
    WaveDataReader reader;
    ASSERT_EQ(reader.Open(path), WaveWalkStatus::kOk);

    const CWaveDoc::ConvertSplit splits[] = {{}, {1, 0}, {3, 700}};
    for (const CWaveDoc::ConvertSplit& split : splits) {
        SCOPED_TRACE(testing::Message() << split.threads << " threads, " << split.segmentFrames);
        CWaveDoc read;
        ASSERT_EQ(read.ReadWaveFile(path, nullptr), 1);
        std::unique_ptr<CWaveDoc> expected;
        if (read.GetFormat() == c.target)
            expected = read.Clone();
        else
            expected = read.ConvertFormat(c.target, split);

        CWaveDoc clip;
        clip.SetStart(321);
        const int first = NextStoreNumber();
        ASSERT_EQ(clip.ReadConverted(reader, c.target, split), expected ? 1 : 0);
        if (!expected)
            continue;
        EXPECT_EQ(NextStoreNumber(), first + 2) << "one store besides the probe";
        EXPECT_EQ(clip.GetFormat(), c.target);
        EXPECT_EQ(clip.GetStart(), 321u);
        EXPECT_EQ(clip.GetDataSize(), expected->GetDataSize());
        EXPECT_TRUE(StoreBytes(clip) == StoreBytes(*expected));
    }
}

INSTANTIATE_TEST_SUITE_P(Files, WaveFileConversion, testing::ValuesIn(kFiles), FileCaseName);

TEST(WaveDataReader, RefusesWhatTheReadersRefuse)
{
    WaveDataReader reader;
    EXPECT_EQ(reader.Open(TestEnvironment::Home() + "/missing.wav"), WaveWalkStatus::kCannotOpen);
    EXPECT_EQ(reader.Open(TestEnvironment::Home()), WaveWalkStatus::kCannotOpen) << "a folder";
    EXPECT_FALSE(reader.HasData());

    QFile text(TestEnvironment::Home() + "/text.wav");
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a wave file at all");
    text.close();
    EXPECT_EQ(reader.Open(text.fileName()), WaveWalkStatus::kNotRiff);

    WaveFormat adpcm = MakePcmFormat(1, 8000, 16);
    adpcm.formatTag = 2;
    EXPECT_EQ(reader.Open(WriteWave("adpcm.wav", adpcm, Noise(200, 2))), WaveWalkStatus::kRefused);

    // Kelvo's limit on the samples a track takes counts them expanded.
    const QString alaw =
        WriteWave("alaw.wav", G711Format(kWaveFormatAlaw, 1, 8000), Noise(1000, 3));
    EXPECT_EQ(reader.Open(alaw, 1999), WaveWalkStatus::kRefused);
    ASSERT_EQ(reader.Open(alaw, 2000), WaveWalkStatus::kOk);
    EXPECT_EQ(reader.GetSize(), 2000u);
    EXPECT_EQ(reader.GetFormat(), MakePcmFormat(1, 8000, 16));

    // Reads stay inside the samples.
    std::vector<uint8_t> buffer(2002);
    EXPECT_TRUE(reader.ReadAt(1000, buffer.data(), 1000));
    EXPECT_FALSE(reader.ReadAt(1002, buffer.data(), 1000));
    EXPECT_FALSE(reader.ReadAt(0, buffer.data(), 2002));
}

TEST(WaveDataReader, AFormatWithoutDataHasNoSamples)
{
    uint8_t header[kWaveHeaderSize];
    FillWaveHeader(header, kProjectFormat, 0);
    QFile file(TestEnvironment::Home() + "/nodata.wav");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(header), 36); // up to the data chunk
    file.close();
    WaveDataReader reader;
    ASSERT_EQ(reader.Open(file.fileName()), WaveWalkStatus::kOk);
    EXPECT_FALSE(reader.HasData());
    EXPECT_TRUE(reader.HasFormat());
    EXPECT_EQ(reader.GetFormat(), kProjectFormat);
    CWaveDoc clip;
    EXPECT_EQ(clip.ReadConverted(reader, kRingFormat), 0);
}

} // namespace
