// The editor on the real sound library with its disk driver: what it plays
// is written to SDL_DISKAUDIOFILE (44100 Hz 16-bit stereo, in real time) and
// what it records is read from SDL_DISKAUDIOFILEIN. The driver is chosen
// when the process first uses audio, hence this executable of its own.
//
// The music is a ramp whose frames hold their own index (the low 16 bits on
// the left), so every output frame tells which music frame it carries; the
// voice is noise on the right channel only, found by cross-correlation.
#include "tests/support/FakeCapture.h"
#include "tests/support/TestEnvironment.h"
#include "voice/Brevanta.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

// The device's stream files, in a folder that lives as long as the device.
QString StreamFile(const char* name)
{
    return TestEnvironment::ProcessFolder() + u'/' + QLatin1String(name);
}

constexpr uint32_t kChunk = 8820;
// Frames the sound may lag the play clock: two callbacks of the output and
// a step of the play timer.
constexpr long kLatency = 2 * 1024 + 441;

struct Frame
{
    int16_t left;
    int16_t right;
};

class BrevantaDisk : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static bool ready = false;
        if (ready)
            return;
        ready = true;
        // Ten seconds of 22050 Hz stereo frames counting up, for recording.
        QFile input(StreamFile("input.raw"));
        const QByteArray ramp = RampFrames(0, 10 * 22050);
        if (input.open(QIODevice::WriteOnly))
            input.write(ramp);
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILEIN", QFile::encodeName(StreamFile("input.raw")));
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(StreamFile("output.raw")));
    }

    void SetUp() override
    {
        editor.resize(1002, 200);
        editor.EnumWmaFormats(); // the timers
    }

    // Music of seconds in the project format: the ramp, or with a voice test
    // the ramp on the left and silence on the right.
    void SetRampMusic(double seconds, bool leftOnly)
    {
        const uint32_t frames = static_cast<uint32_t>(seconds * 44100);
        QByteArray bytes = RampFrames(0, frames);
        if (leftOnly)
            for (uint32_t i = 0; i < frames; ++i)
                std::memset(bytes.data() + 4 * i + 2, 0, 2);
        auto music = std::make_unique<WaveData>();
        music->SetFormat(kProjectFormat);
        auto buffer = std::make_unique<WaveBuffer>(static_cast<uint32_t>(bytes.size()));
        std::memcpy(buffer->data.get(), bytes.constData(), bytes.size());
        music->SetBuffer(std::move(buffer));
        editor.SetMusic(std::move(music));
    }

    // A voice of noise on the right channel, starting at block x.
    void SetNoiseVoice(double seconds, int blockX)
    {
        const uint32_t frames = static_cast<uint32_t>(seconds * 22050);
        std::mt19937 random(11);
        std::uniform_int_distribution<int> noise(-8000, 8000);
        voice.resize(frames);
        auto buffer = std::make_unique<WaveBuffer>(frames * 4);
        for (uint32_t i = 0; i < frames; ++i) {
            voice[i] = static_cast<int16_t>(noise(random));
            std::memcpy(buffer->data.get() + 4 * i + 2, &voice[i], 2);
        }
        editor.GetVoice().SetBuffer(std::move(buffer));
        editor.SetVoiceBlockX(blockX);
    }

    // Starts listening to the stream from here, once what an earlier
    // playback left in the device has come out.
    void Mark()
    {
        QThread::msleep(150);
        m_start = QFileInfo(StreamFile("output.raw")).size();
    }

    // Waits for the playback to end, lets some silence follow and returns
    // the frames played since Mark.
    std::vector<Frame> HeardAfterStop()
    {
        EXPECT_TRUE(TestEnvironment::WaitFor([&] { return !editor.IsPlaying(); }, 15000));
        QThread::msleep(300);
        QFile file(StreamFile("output.raw"));
        if (!file.open(QIODevice::ReadOnly) || !file.seek(m_start))
            return {};
        const QByteArray bytes = file.readAll();
        std::vector<Frame> frames(bytes.size() / 4);
        std::memcpy(frames.data(), bytes.constData(), frames.size() * 4);
        return frames;
    }

    // The first frame that carries music, or -1.
    static long FirstSound(const std::vector<Frame>& heard, long from = 0)
    {
        for (long t = from; t < static_cast<long>(heard.size()); ++t)
            if (heard[t].left != 0)
                return t;
        return -1;
    }

    // How many frames from t on carry consecutive music frames (by the low
    // 16 bits on the left).
    static long RunLength(const std::vector<Frame>& heard, long t)
    {
        long n = 1;
        while (t + n < static_cast<long>(heard.size()) &&
               static_cast<uint16_t>(heard[t + n].left) ==
                   static_cast<uint16_t>(heard[t].left + n))
            ++n;
        return n;
    }

    // The voice's position (in output frames, voice upsampled to 44100) that
    // best matches the right channel from t on, by normalised correlation.
    std::pair<long, double> VoicePositionAt(const std::vector<Frame>& heard, long t) const
    {
        std::vector<float> up(voice.size() * 2);
        for (size_t i = 0; i < voice.size(); ++i) {
            up[2 * i] = voice[i];
            up[2 * i + 1] = i + 1 < voice.size() ? (voice[i] + voice[i + 1]) / 2.0f : voice[i];
        }
        const long n = 1024;
        std::pair<long, double> best{-1, 0};
        if (t + n > static_cast<long>(heard.size()))
            return best;
        for (long q = 0; q + n <= static_cast<long>(up.size()); ++q) {
            double ab = 0, aa = 0, bb = 0;
            for (long i = 0; i < n; ++i) {
                const double a = heard[t + i].right;
                ab += a * up[q + i];
                aa += a * a;
                bb += double(up[q + i]) * up[q + i];
            }
            const double r = aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
            if (r > best.second)
                best = {q, r};
        }
        return best;
    }

    std::vector<int16_t> voice;
    CBrevanta editor{nullptr, nullptr, nullptr};
    qint64 m_start = 0;
};

TEST_F(BrevantaDisk, RecordingIsAGaplessPrefixOfTheInput)
{
    SetRampMusic(10, false);
    QSignalSpy stopped(&editor, &CBrevanta::RECORD_STOPPED);
    ASSERT_EQ(editor.StartRecord(), 1);
    ASSERT_TRUE(
        TestEnvironment::WaitFor([&] { return editor.GetRecordFill() >= 10 * kChunk; }, 15000));
    editor.Stop();
    EXPECT_EQ(stopped.count(), 1);
    const uint32_t size = editor.GetVoice().GetSize();
    EXPECT_GE(size, 10 * kChunk);
    EXPECT_EQ(size % kChunk, 0u) << "whole chunks only";
    const QByteArray ramp = RampFrames(0, size / 4);
    EXPECT_EQ(std::memcmp(editor.GetVoice().GetData(), ramp.constData(), size), 0)
        << "the input's first frames, in order, without gaps";
}

TEST_F(BrevantaDisk, TheMusicPlaysFromTheCursor)
{
    SetRampMusic(1.5, false);
    // A click at x 501 puts the cursor at 500 px of 1000: 751 ms of 1503.
    QTest::mouseClick(&editor, Qt::LeftButton, {}, QPoint(501, 100));
    ASSERT_EQ(editor.GetEditCursor(), 501);
    const uint32_t firstFrame = CBrevanta::MsToBytes(editor.XToMs(501), kProjectFormat) / 4;
    QSignalSpy ended(&editor, &CBrevanta::PLAY_STOPPED);
    Mark();
    ASSERT_EQ(editor.Play(), 1);
    const std::vector<Frame> heard = HeardAfterStop();
    EXPECT_EQ(ended.count(), 1);
    const long t = FirstSound(heard);
    ASSERT_GE(t, 0);
    EXPECT_EQ(static_cast<uint16_t>(heard[t].left), firstFrame & 0xFFFF);
    EXPECT_EQ(heard[t].right, static_cast<int16_t>(firstFrame >> 16));
    // To the end without a gap; the play clock runs from the request to play,
    // a little before the sound, so its end may cut the last of it.
    const long rest = static_cast<long>(1.5 * 44100 - firstFrame);
    const long run = RunLength(heard, t);
    EXPECT_LE(run, rest);
    EXPECT_GE(run, rest - kLatency);
}

TEST_F(BrevantaDisk, TheVoiceJoinsAtItsBlock)
{
    // 3 s of music (3006 ms as the editor counts it); the voice is 1 s long.
    SetRampMusic(3, true);
    const struct
    {
        const char* name;
        int blockX;
        int cursorX;
    } cases[] = {
        {"a block after the start joins when the time comes", 301, 1},
        {"one that began before joins at once, inside", 301, 401},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetNoiseVoice(1.0, c.blockX);
        QTest::mouseClick(&editor, Qt::LeftButton, {}, QPoint(c.cursorX, 100));
        const double voiceStartMs = editor.XToMs(c.blockX);
        Mark();
        ASSERT_EQ(editor.Play(), 1);
        const std::vector<Frame> heard = HeardAfterStop();
        const long t0 = FirstSound(heard);
        ASSERT_GE(t0, 0);
        ASSERT_GT(RunLength(heard, t0), 44100) << "the music plays on under the voice";
        const uint32_t firstFrame =
            CBrevanta::MsToBytes(editor.XToMs(c.cursorX), kProjectFormat) / 4;
        // Look 100 ms after the later of the voice's and the music's start.
        const double lookMs = std::max(voiceStartMs, double(editor.XToMs(c.cursorX))) + 100;
        const long t = t0 + static_cast<long>(lookMs * 44.1) - firstFrame;
        const auto [q, r] = VoicePositionAt(heard, t);
        ASSERT_GT(r, 0.9) << "the voice is there";
        const double musicMs = (firstFrame + (t - t0)) / 44.1;
        EXPECT_NEAR(musicMs - q / 44.1, voiceStartMs, 40)
            << "voice and music line up as the block says";
    }
}

TEST_F(BrevantaDisk, ALoopRestartsAfterTheSelectionEnd)
{
    SetRampMusic(3, false);
    editor.SetLoopMode(true);
    editor.SetSelectionStart(201);
    editor.SetSelectionEnd(401);
    const uint32_t startFrame = CBrevanta::MsToBytes(editor.XToMs(201), kProjectFormat) / 4;
    const uint32_t endFrame = CBrevanta::MsToBytes(editor.XToMs(401), kProjectFormat) / 4;
    QSignalSpy restarted(&editor, &CBrevanta::LOOP_RESTARTED);
    Mark();
    ASSERT_EQ(editor.Play(), 1);
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return restarted.count() >= 2; }, 10000));
    editor.Stop();
    const std::vector<Frame> heard = HeardAfterStop();
    const long t = FirstSound(heard);
    ASSERT_GE(t, 0);
    EXPECT_EQ(static_cast<uint16_t>(heard[t].left), startFrame & 0xFFFF);
    const long first = RunLength(heard, t);
    // The play clock starts as the output is asked to play, a callback or
    // two (23 ms each) before it is heard.
    EXPECT_GE(startFrame + first, endFrame - kLatency) << "the whole selection plays";
    EXPECT_LE(startFrame + first, endFrame + 44100 / 10) << "and little more";
    const long again = FirstSound(heard, t + first);
    ASSERT_GE(again, 0);
    EXPECT_EQ(static_cast<uint16_t>(heard[again].left), startFrame & 0xFFFF)
        << "then the selection from its start again";
    EXPECT_LT(again - (t + first), 44100 / 10) << "at once";
}

TEST_F(BrevantaDisk, MutesAndVolumes)
{
    SetRampMusic(1, true);
    SetNoiseVoice(0.5, 1); // joins at once and ends before the music

    // The root of a channel's energy: what the silence around adds is 0.
    const auto Rms = [](const std::vector<Frame>& heard, bool left) {
        double sum = 0;
        for (const Frame& f : heard)
            sum += double(left ? f.left : f.right) * (left ? f.left : f.right);
        return std::sqrt(sum);
    };
    // The music muted: only the voice is heard, at its level.
    editor.MuteMusic(true);
    Mark();
    ASSERT_EQ(editor.PlayFromStart(), 1);
    std::vector<Frame> heard = HeardAfterStop();
    EXPECT_EQ(Rms(heard, true), 0.0);
    const double loud = Rms(heard, false);
    EXPECT_GT(loud, 0.0);

    // The voice 6 dB down (and the music back): half the voice's amplitude.
    editor.MuteMusic(false);
    editor.SetVoiceVolume(-600);
    Mark();
    ASSERT_EQ(editor.PlayFromStart(), 1);
    heard = HeardAfterStop();
    EXPECT_GT(Rms(heard, true), 0.0);
    EXPECT_NEAR(Rms(heard, false) / loud, std::pow(10.0, -600 / 2000.0), 0.02);

    // The voice muted: silence on its side.
    editor.MuteVoice(true);
    Mark();
    ASSERT_EQ(editor.PlayFromStart(), 1);
    heard = HeardAfterStop();
    EXPECT_EQ(Rms(heard, false), 0.0);
}

} // namespace
