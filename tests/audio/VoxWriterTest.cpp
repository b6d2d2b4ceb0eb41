#include "audio/RingFiles.h"
#include "audio/VoxWriter.h"
#include "tests/audio/EncodedFixtures.h"
#include "tests/audio/ToneFixtures.h"
#include "tests/support/TestEnvironment.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <iostream>
#include <vector>

using namespace EncodedFixtures;

namespace {

// The bytes a writer leaves for the given writes of one file.
QByteArray Encode(const std::vector<std::vector<uint8_t>>& writes, int bits,
                  VoxWriter* writer = nullptr)
{
    VoxWriter local;
    VoxWriter& vox = writer ? *writer : local;
    const QString path = PathOf("out.vox");
    vox.SetFileName(path);
    EXPECT_EQ(vox.Open(), S_OK);
    for (const auto& bytes : writes)
        EXPECT_EQ(vox.Write(bits, bytes.data(), static_cast<uint32_t>(bytes.size())), S_OK);
    EXPECT_EQ(vox.Close(), S_OK);
    return ReadAll(path);
}

std::vector<uint8_t> Bytes16(const std::vector<int16_t>& samples)
{
    std::vector<uint8_t> bytes(samples.size() * 2);
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

// What a fresh encoder makes of values already in the 12-bit range.
QByteArray Reference(const std::vector<int>& values)
{
    VoxWriter encoder;
    QByteArray bytes;
    for (size_t k = 0; k + 1 < values.size(); k += 2) {
        const uint8_t high = encoder.EncodeSample(values[k]);
        bytes.append(static_cast<char>(high << 4 | encoder.EncodeSample(values[k + 1])));
    }
    return bytes;
}

} // namespace

TEST(VoxWriter, SilenceHoversAroundZeroAtTheSmallestStep)
{
    VoxWriter writer;
    const QByteArray vox = Encode({Bytes16(std::vector<int16_t>(64, 0))}, 16, &writer);
    ASSERT_EQ(vox.size(), 32);
    // 0 -> code 0, predicted 2; 0 -> code 8, predicted 0; and so on.
    EXPECT_EQ(vox, QByteArray(32, '\x08'));
    EXPECT_EQ(writer.GetStepIndex(), 0);
    EXPECT_EQ(writer.GetPredicted(), 0);
}

TEST(VoxWriter, KnownVectors)
{
    // Worked by hand from the algorithm: full scale climbs with code 7, and
    // the index passes 47, whose step (1408, not 1411) decides the last
    // nibble (6; 1411 would give 5).
    const struct
    {
        const char* name;
        std::vector<int16_t> samples;
        QByteArray bytes;
        int predicted;
        int index;
    } cases[] = {
        {"full scale", {32767, 32767}, QByteArray("\x77", 1), 93, 16},
        {"step 47",
         {-24000, 8000, -24000, 8000, 8000, -24000, 16000, 24000, 32752, -8000, -16000, 16000},
         QByteArray("\xf7\xf7\x3f\x61\x2f\xb6", 6),
         1174,
         48},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        VoxWriter writer;
        EXPECT_EQ(Encode({Bytes16(c.samples)}, 16, &writer).toHex(), c.bytes.toHex());
        EXPECT_EQ(writer.GetPredicted(), c.predicted);
        EXPECT_EQ(writer.GetStepIndex(), c.index);
    }
}

TEST(VoxWriter, SamplesAreScaledIntoTwelveBits)
{
    // 16-bit: / 16 toward zero, so -17 is -1, not -2; 8-bit: (b - 128) * 16.
    EXPECT_EQ(Encode({Bytes16({32767, -32768, -17, 17, 15, -15})}, 16),
              Reference({2047, -2048, -1, 1, 0, 0}));
    EXPECT_EQ(Encode({{128, 255, 0, 128}}, 8), Reference({0, 2032, -2048, 0}));
    // Any other width is taken as 8 bits.
    EXPECT_EQ(Encode({{128, 255, 0, 128}}, 12), Reference({0, 2032, -2048, 0}));
}

TEST(VoxWriter, OddLastSampleIsDroppedAndStateCarriesAcrossWrites)
{
    const std::vector<int16_t> ramp = {100, 900, -700, 3000, 12000, -20000, 5, 32000};
    EXPECT_EQ(Encode({Bytes16({100, 900, -700, 3000, 12000, -20000, 5})}, 16).size(), 3);
    EXPECT_EQ(Encode({{1, 2, 3}}, 8).size(), 1);

    const QByteArray whole = Encode({Bytes16(ramp)}, 16);
    ASSERT_EQ(whole.size(), 4);
    const QByteArray split = Encode(
        {Bytes16({ramp.begin(), ramp.begin() + 4}), Bytes16({ramp.begin() + 4, ramp.end()})}, 16);
    EXPECT_EQ(split, whole);
}

TEST(VoxWriter, PredictorAndIndexStayInRange)
{
    VoxWriter writer;
    int lowest = 0, highest = 0, top = 0;
    for (int i = 0; i < 400; ++i) {
        writer.EncodeSample((i / 7) % 2 ? -2048 : 2047);
        lowest = std::min(lowest, writer.GetPredicted());
        highest = std::max(highest, writer.GetPredicted());
        top = std::max(top, writer.GetStepIndex());
        ASSERT_GE(writer.GetStepIndex(), 0);
    }
    EXPECT_EQ(lowest, -2048);
    EXPECT_EQ(highest, 2048) << "2048 is the upper bound, not 2047";
    EXPECT_EQ(top, 48);
}

TEST(VoxWriter, CallsOutOfOrderFail)
{
    VoxWriter writer;
    const uint8_t bytes[4] = {};
    EXPECT_EQ(writer.Write(16, bytes, 4), E_FAIL) << "not open";
    EXPECT_EQ(writer.Open(), E_FAIL) << "no name";
    EXPECT_EQ(writer.Close(), S_OK) << "nothing open";
}

TEST(VoxWriter, AWriterGivenUpBeforeCloseLeavesNothing)
{
    // A caller that fails midway (a block of its samples cannot be read)
    // leaves its writer without Close.
    const std::vector<uint8_t> samples = Bytes16(std::vector<int16_t>(400, 1000));
    const QString path = PathOf("given-up.vox");
    for (const bool replacing : {true, false}) {
        SCOPED_TRACE(replacing ? "over an old file" : "new file");
        QFile::remove(path);
        if (replacing) {
            ASSERT_TRUE(WriteAll(path, "the ring that was there"));
        }
        {
            VoxWriter writer;
            writer.SetFileName(path);
            ASSERT_EQ(writer.Open(), S_OK);
            ASSERT_EQ(writer.Write(16, samples.data(), static_cast<uint32_t>(samples.size())),
                      S_OK);
        }
        EXPECT_EQ(ReadAll(path), replacing ? QByteArray("the ring that was there") : QByteArray());
        EXPECT_EQ(QFile::exists(path), replacing);
        EXPECT_EQ(QDir(TestEnvironment::Home()).entryList({"given-up*"}, QDir::Files),
                  replacing ? QStringList{"given-up.vox"} : QStringList());
    }
}

// sox's decoder is not this encoder's exact inverse (its step table, clamps
// and difference rounding differ, and ADPCM carries a mismatch along), so the
// tone comes back recognisable, not exact: about 13 dB here.
TEST(VoxWriter, SoxDecodesAToneBack)
{
    const auto clip = ToneFixtures::ToneClip(8000, 2.0);
    ASSERT_TRUE(clip);
    const QString vox = PathOf("tone.vox");
    ASSERT_EQ(RingFiles::WriteVox(vox, *clip), 1);
    EXPECT_EQ(ReadAll(vox).size(), 8000);
    QByteArray pcm;
    ASSERT_TRUE(RunTool("sox",
                        {"-t", "vox", "-r", "8000", "-c", "1", vox, "-t", "raw", "-e",
                         "signed-integer", "-b", "16", "-"},
                        &pcm));
    const std::vector<double> samples = ToneFixtures::Samples(pcm);
    ASSERT_EQ(samples.size(), 16000u);
    const double peak = ToneFixtures::PeakFrequency(samples, 8000);
    const double snr = ToneFixtures::ToneSnr(samples, 8000, 1000);
    std::cout << "[ sox ] peak " << peak << " Hz, SNR " << snr << " dB\n";
    RecordProperty("peak_hz", std::to_string(peak));
    RecordProperty("snr_db", std::to_string(snr));
    EXPECT_NEAR(peak, 1000, 2);
    EXPECT_GT(snr, 10);
}
