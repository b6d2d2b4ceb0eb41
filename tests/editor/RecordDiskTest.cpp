// Records through the sound library's disk driver, which reads the captured
// stream (here 44100 Hz 16-bit stereo) from the file SDL_DISKAUDIOFILEIN
// names, paced by a delay of one callback's length per read, and plays
// silence once the file ends. The driver is chosen when the process first
// uses audio, hence this executable of its own.
#include "editor/WaveCtrl.h"
#include "platform/WorkingFolder.h"
#include "tests/support/FakeCapture.h"
#include "tests/support/PythonWave.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kBuffer = 17640; // 100 ms of the project format

uint32_t U32At(const QByteArray& bytes, int offset)
{
    uint32_t value = 0;
    if (offset + 4 <= bytes.size())
        std::memcpy(&value, bytes.constData() + offset, 4);
    return value;
}

TEST(RecordDisk, TheClipHoldsAGaplessPrefixOfTheInput)
{
    QTemporaryDir streamDir(QDir::tempPath() + "/zuvo-disk-XXXXXX");
    const QString input = streamDir.filePath("input.raw");
    // Four seconds of frames counting up, longer than the recording.
    const QByteArray ramp = RampFrames(0, 4 * 44100);
    {
        QFile file(input);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(ramp), ramp.size());
    }
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILEIN", QFile::encodeName(input));
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(streamDir.filePath("output.raw")));

    CWaveCtrl ctrl;
    ctrl.resize(600, 300);
    ASSERT_EQ(ctrl.StartRecording(), 1);
    CWaveDoc* clip = ctrl.GetTrack(0)->GetClip(0);
    ASSERT_TRUE(
        TestEnvironment::WaitFor([&] { return clip->GetRecordedBytes() >= 10 * kBuffer; }, 15000));
    ctrl.StopPlayback();

    const uint32_t size = clip->GetDataSize();
    EXPECT_GE(size, 10 * kBuffer);
    EXPECT_EQ(size % kBuffer, 0u) << "whole buffers only";
    ASSERT_LE(size, static_cast<uint32_t>(ramp.size()));
    CMappedView view = clip->GetStore()->MapView(0, size);
    ASSERT_TRUE(view);
    EXPECT_EQ(std::memcmp(view.data(), ramp.constData(), size), 0)
        << "the input's first frames, in order, without gaps";

    const QString path = WorkingFolder::FilePath(QString::fromLatin1(CWaveCtrl::kRecordFileName));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes.size(), 44 + qsizetype{size});
    EXPECT_EQ(U32At(bytes, 40), size);
    EXPECT_EQ(U32At(bytes, 4), size + 36);
    const PythonWave wave = ReadWithPython(path);
    ASSERT_TRUE(wave.ok);
    EXPECT_EQ(wave.frames, size / 4);
    EXPECT_EQ(wave.rate, 44100);
    EXPECT_EQ(wave.channels, 2);
}

} // namespace
