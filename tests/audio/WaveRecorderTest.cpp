#include "audio/WaveDoc.h"
#include "audio/WaveRecorder.h"
#include "tests/support/FakeCapture.h"
#include "tests/support/PythonWave.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <atomic>

namespace {

constexpr uint32_t kBuffer = 17640; // 100 ms of 44100 Hz 16-bit stereo

uint32_t U32At(const QByteArray& bytes, int offset)
{
    uint32_t value = 0;
    std::memcpy(&value, bytes.constData() + offset, 4);
    return value;
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Recorder : testing::Test
{
    CWaveRecorder::Notices Counting()
    {
        CWaveRecorder::Notices notices;
        notices.bufferDone = [this] { ++buffersDone; };
        notices.stopNeeded = [this] { ++stopsNeeded; };
        return notices;
    }

    FakeCaptureState input;
    QString path = TestEnvironment::Home() + "/~TMPREC.WAV";
    CWaveDoc clip;
    std::atomic<int> buffersDone{0};
    std::atomic<int> stopsNeeded{0};
};

TEST(WaveRecorderSizes, BufferIsHundredMillisecondsOfWholeFrames)
{
    EXPECT_EQ(CWaveRecorder::BufferBytesFor(kProjectFormat), kBuffer);
    EXPECT_EQ(CWaveRecorder::BufferBytesFor(MakePcmFormat(1, 22050, 16)), 4410u);
    EXPECT_EQ(CWaveRecorder::BufferBytesFor(MakePcmFormat(2, 11025, 16)), 4408u);
}

TEST_F(Recorder, StoresWholeBuffersInOrderAndWritesTheSizesAtTheStop)
{
    CWaveRecorder recorder(std::make_unique<FakeCapture>(input));
    ASSERT_TRUE(recorder.Open(kProjectFormat, path));
    EXPECT_EQ(input.format.channels, 2);
    EXPECT_EQ(input.format.rate, 44100u);
    EXPECT_EQ(input.format.bits, 16);
    const QByteArray header = ReadAll(path);
    ASSERT_EQ(header.size(), 44);
    EXPECT_EQ(header.mid(0, 16), QByteArray("RIFFRIFFWAVEfmt ")) << "placeholder RIFF size";
    EXPECT_EQ(U32At(header, 40), 0u);

    recorder.Start(&clip, Counting());
    // Ten whole buffers and a part of the eleventh, in chunks that do not
    // line up with the buffers.
    const QByteArray ramp = RampFrames(0, 10 * kBuffer / 4 + 1000);
    ASSERT_TRUE(Deliver(input, ramp, 4 * 1234));
    EXPECT_EQ(recorder.Stop(), CWaveRecorder::Result::Stored);
    EXPECT_EQ(input.closes, 1);

    EXPECT_EQ(buffersDone.load(), 10);
    EXPECT_EQ(stopsNeeded.load(), 0);
    EXPECT_EQ(clip.GetRecordedBytes(), 176400u);
    const QByteArray file = ReadAll(path);
    ASSERT_EQ(file.size(), 44 + 176400);
    EXPECT_EQ(U32At(file, 40), 176400u);
    EXPECT_EQ(U32At(file, 4), 176436u);

    const PythonWave wave = ReadWithPython(path);
    ASSERT_TRUE(wave.ok);
    EXPECT_EQ(wave.channels, 2);
    EXPECT_EQ(wave.rate, 44100);
    EXPECT_EQ(wave.sampleWidth, 2);
    EXPECT_EQ(wave.frames, 44100);
    EXPECT_TRUE(wave.samples == ramp.left(176400)) << "the ramp, in order, without the part";
}

TEST_F(Recorder, RefusedDeviceOrFileLeavesNothingOpen)
{
    input.refuseOpen = true;
    CWaveRecorder refused(std::make_unique<FakeCapture>(input));
    EXPECT_FALSE(refused.Open(kProjectFormat, path));
    EXPECT_FALSE(QFile::exists(path));

    input.refuseOpen = false;
    CWaveRecorder nowhere(std::make_unique<FakeCapture>(input));
    EXPECT_FALSE(nowhere.Open(kProjectFormat, TestEnvironment::Home() + "/missing/x.wav"));
    EXPECT_EQ(input.opens, 1);
    EXPECT_EQ(input.closes, 1) << "the device is closed again";
}

TEST_F(Recorder, StopsStoringBeforeTheSizeLimit)
{
    // A limit that three buffers fit under and a fourth would pass.
    CWaveRecorder recorder(std::make_unique<FakeCapture>(input), 4 * kBuffer - 1);
    ASSERT_TRUE(recorder.Open(kProjectFormat, path));
    recorder.Start(&clip, Counting());
    ASSERT_TRUE(Deliver(input, RampFrames(0, 6 * kBuffer / 4)));
    ASSERT_TRUE(TestEnvironment::WaitFor([this] { return stopsNeeded.load() > 0; }));
    EXPECT_EQ(recorder.Stop(), CWaveRecorder::Result::Full);
    EXPECT_EQ(stopsNeeded.load(), 1);
    EXPECT_EQ(buffersDone.load(), 3);
    const QByteArray file = ReadAll(path);
    ASSERT_EQ(file.size(), 44 + 3 * kBuffer);
    EXPECT_EQ(U32At(file, 40), 3 * kBuffer);
    EXPECT_EQ(U32At(file, 4), 3 * kBuffer + 36);
}

} // namespace
