// Plays a two-track timeline through the sound library's disk driver, which
// writes the mixed device stream (44100 Hz, 16-bit stereo) to a file in real
// time. Its own executable: the driver is chosen when the process first opens
// the device.
#include "editor/WaveCtrl.h"
#include "platform/AudioOutput.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <cstring>
#include <map>

namespace {

// A 44100 Hz stereo clip holding one constant value: easy to find in a mix.
std::unique_ptr<CWaveDoc> Constant(int16_t value, uint32_t lengthMs, uint32_t startMs)
{
    auto clip = std::make_unique<CWaveDoc>();
    clip->SetFormat(kProjectFormat);
    clip->SetStart(startMs);
    const uint32_t frames = lengthMs * 441 / 10;
    if (!clip->CreateStore(frames * 4))
        return nullptr;
    CMappedView view = clip->GetStore()->MapView(0, frames * 4);
    auto* samples = reinterpret_cast<int16_t*>(view.data());
    std::fill(samples, samples + frames * 2, value);
    return clip;
}

TEST(TimelineDisk, TwoTracksPlayMixed)
{
    QTemporaryDir streamDir(QDir::tempPath() + "/zuvo-disk-XXXXXX");
    const QString stream = streamDir.filePath("stream.raw");
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(stream));

    // As the program does at start-up: the first play then starts at once.
    ASSERT_TRUE(AudioOutput::Shared().Open());
    CWaveCtrl ctrl;
    ctrl.resize(600, 300);
    ctrl.AddNewTrack()->AddClip(Constant(1000, 400, 0));
    ctrl.AddNewTrack()->AddClip(Constant(2000, 200, 100));
    ctrl.PlayFromStart();
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return !ctrl.IsPlaying(); }, 10000));
    QThread::msleep(200);

    QFile file(stream);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    std::map<int, int> framesOf; // left value -> frames heard
    for (qsizetype i = 0; i + 4 <= bytes.size(); i += 4) {
        int16_t left = 0, right = 0;
        std::memcpy(&left, bytes.constData() + i, 2);
        std::memcpy(&right, bytes.constData() + i + 2, 2);
        ASSERT_EQ(left, right);
        ++framesOf[left];
    }
    // Only silence, each track alone, and both summed: mixed, not interleaved.
    for (const auto& [value, frames] : framesOf)
        EXPECT_TRUE(value == 0 || value == 1000 || value == 3000) << value << " x " << frames;
    // Each clip starts on the first clock tick that reaches it, so a busy
    // machine may shave a little off their beginnings.
    const auto ms = [&](int value) { return framesOf[value] * 10 / 441; };
    EXPECT_GE(ms(3000), 50) << "the second track over the first";
    EXPECT_LE(ms(3000), 210);
    EXPECT_GE(ms(1000) + ms(3000), 200) << "the first track throughout";
    EXPECT_LE(ms(1000) + ms(3000), 410);
}

} // namespace
