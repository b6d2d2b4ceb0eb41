#include "audio/WaveDataReader.h"
#include "tests/support/ConversionFixtures.h"
#include "voice/WaveData.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using namespace ConversionFixtures;

class TrackConversion : public testing::TestWithParam<FileCase>
{
};

// Kelvo's track read straight into the target holds what reading the file
// and then converting the track (every frame kept) gives.
TEST_P(TrackConversion, TrackHoldsWhatReadingThenConvertingGives)
{
    const FileCase& c = GetParam();
    const QString path =
        WriteWave("in.wav", c.file, Noise(uint64_t{c.frames} * c.file.blockAlign, 9));
    WaveData read;
    ASSERT_EQ(read.ReadWaveFile(path), 1);
    ASSERT_TRUE(read.HasData());
    WaveFormat expectedFormat = read.GetFormat();
    std::vector<uint8_t> expected(read.GetData(), read.GetData() + read.GetSize());
    if (!read.IsSameFormat(c.target)) {
        const WaveBuffer copy = [&] {
            WaveBuffer buffer(read.GetSize());
            std::memcpy(buffer.data.get(), read.GetData(), read.GetSize());
            return buffer;
        }();
        const auto converted = ConvertBuffer(copy, read.GetFormat(), c.target);
        ASSERT_NE(converted, nullptr);
        expected.assign(converted->data.get(), converted->data.get() + converted->size);
        expectedFormat = c.target;
    }

    WaveDataReader reader;
    ASSERT_EQ(reader.Open(path, WaveData::kMaxSampleBytes), WaveWalkStatus::kOk);
    EXPECT_EQ(WaveData::LengthOf(reader.GetFormat(), reader.GetSize()), read.GetLengthMs());
    WaveData track;
    ASSERT_EQ(track.ReadConverted(reader, c.target), 1);
    EXPECT_EQ(track.GetFormat(), expectedFormat);
    ASSERT_EQ(track.GetSize(), expected.size());
    EXPECT_TRUE(std::vector<uint8_t>(track.GetData(), track.GetData() + track.GetSize()) ==
                expected);
}

INSTANTIATE_TEST_SUITE_P(Files, TrackConversion, testing::ValuesIn(kFiles), FileCaseName);

TEST(TrackConversion, NothingWithoutSamples)
{
    WaveDataReader reader;
    WaveData track;
    EXPECT_EQ(track.ReadConverted(reader, kRingFormat), 0) << "a reader that opened nothing";
    uint8_t header[kWaveHeaderSize];
    FillWaveHeader(header, kProjectFormat, 0);
    const QString path = TestEnvironment::Home() + "/nodata.wav";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(header), 36); // up to the data chunk
    file.close();
    ASSERT_EQ(reader.Open(path), WaveWalkStatus::kOk);
    EXPECT_EQ(track.ReadConverted(reader, kRingFormat), 0);
    EXPECT_FALSE(track.HasData());
}

} // namespace
