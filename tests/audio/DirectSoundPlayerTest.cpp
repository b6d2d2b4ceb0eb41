#include "audio/DirectSoundPlayer.h"
#include "audio/ISampleSource.h"
#include "audio/WaveDoc.h"
#include "platform/AppPaths.h"
#include "platform/AudioMixer.h"
#include "platform/AudioVoice.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// A source over bytes in memory. Reads can be held at a gate to catch the
// player's thread in the middle of a refill.
class FakeSource : public ISampleSource
{
public:
    FakeSource(const WaveFormat& format, std::vector<uint8_t> data) : m_data(std::move(data))
    {
        static_cast<WaveFormat&>(m_format) = format;
    }

    const WaveFormatEx& GetPlaybackFormat() const override { return m_format; }
    uint32_t GetReadPosition() const override { return m_readPosition; }
    uint32_t GetDataSize() const override { return static_cast<uint32_t>(m_data.size()); }
    int32_t Read(void* buffer, uint32_t wanted, uint32_t* got) override
    {
        ++readsInProgress;
        {
            std::unique_lock<std::mutex> lock(m_gateMutex);
            m_gateChanged.wait(lock, [this] { return m_gateOpen; });
        }
        const uint32_t position = m_readPosition;
        const uint32_t count =
            position >= m_data.size() ? 0 : std::min<uint32_t>(wanted, m_data.size() - position);
        std::memcpy(buffer, m_data.data() + position, count);
        m_readPosition = position + count;
        *got = count;
        ++reads;
        --readsInProgress;
        return 0;
    }
    void SetPlayedPosition(uint32_t bytes) override
    {
        playedPosition = bytes;
        ++playedReports;
    }

    void SetReadPosition(uint32_t bytes) { m_readPosition = bytes; }
    void SetGate(bool open)
    {
        std::lock_guard<std::mutex> lock(m_gateMutex);
        m_gateOpen = open;
        m_gateChanged.notify_all();
    }

    std::atomic<int> reads{0};
    std::atomic<int> readsInProgress{0};
    std::atomic<int> playedReports{0};
    std::atomic<uint32_t> playedPosition{0};

private:
    WaveFormatEx m_format;
    std::vector<uint8_t> m_data;
    std::atomic<uint32_t> m_readPosition{0};
    std::mutex m_gateMutex;
    std::condition_variable m_gateChanged;
    bool m_gateOpen = true;
};

// 16-bit stereo frames that encode their index and are never silent.
std::vector<int16_t> Ramp(uint32_t frames)
{
    std::vector<int16_t> samples;
    for (uint32_t i = 0; i < frames; ++i) {
        const int16_t value = static_cast<int16_t>(i % 30000 + 1);
        samples.push_back(value);
        samples.push_back(static_cast<int16_t>(-value));
    }
    return samples;
}

std::vector<uint8_t> Bytes(const std::vector<int16_t>& samples)
{
    std::vector<uint8_t> bytes(samples.size() * 2);
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

// The mixer as the test's clock, remembering which voices it holds.
class RecordingOutput : public AudioMixer
{
public:
    bool Open() override { return opens; }
    void Attach(AudioVoice* voice) override
    {
        if (onAttach)
            onAttach();
        voices.push_back(voice);
        AudioMixer::Attach(voice);
    }
    void Detach(AudioVoice* voice) override
    {
        AudioMixer::Detach(voice);
        voices.erase(std::remove(voices.begin(), voices.end(), voice), voices.end());
    }

    bool opens = true;
    std::vector<AudioVoice*> voices;
    std::function<void()> onAttach;
};

constexpr uint32_t kStepFrames = 441; // 10 ms of output

// Advances the clock for a 44100 Hz 16-bit stereo source, 10 ms at a time,
// waiting after each step until the player's thread has refilled every block
// play has left (it reports to the source once per block) or has stopped.
std::vector<int16_t> PlayFor(AudioMixer& clock, const CDirectSoundPlayer& player,
                             const FakeSource& source, uint32_t frames,
                             uint32_t* stoppedAtFrame = nullptr)
{
    const uint32_t blockBytes = 11024;
    std::vector<int16_t> heard(size_t(frames) * 2);
    const int reportsBefore = source.playedReports;
    uint64_t playedBytes = 0;
    for (uint32_t done = 0; done < frames; done += kStepFrames) {
        const uint32_t step = std::min(kStepFrames, frames - done);
        const bool wasPlaying = player.IsPlaying();
        clock.Mix(heard.data() + size_t(done) * 2, step);
        if (wasPlaying)
            playedBytes += step * 4u;
        const int blocks = static_cast<int>(playedBytes / blockBytes);
        EXPECT_TRUE(TestEnvironment::WaitFor([&] {
            return source.playedReports - reportsBefore >= blocks || !player.IsPlaying();
        }));
        // The report that passes the end comes just before the stop: on a
        // busy machine the thread may not have reached the stop yet.
        if (source.playedPosition > source.GetDataSize()) {
            EXPECT_TRUE(TestEnvironment::WaitFor([&] { return !player.IsPlaying(); }));
        }
        if (stoppedAtFrame && wasPlaying && !player.IsPlaying())
            *stoppedAtFrame = done + step;
    }
    return heard;
}

struct SizeCase
{
    uint32_t rate;
    uint16_t channels;
    uint16_t bits;
    uint32_t block;
    uint32_t buffer;
};

TEST(DirectSoundPlayer, BlockAndBufferSizes)
{
    for (const SizeCase& c :
         {SizeCase{44100, 2, 16, 11024, 176384}, SizeCase{8000, 1, 8, 500, 8000},
          SizeCase{44100, 1, 16, 5512, 88192}, SizeCase{22050, 1, 16, 2756, 44096},
          SizeCase{11025, 1, 8, 689, 11024}, SizeCase{48000, 2, 16, 12000, 192000}}) {
        RecordingOutput output;
        FakeSource source(MakePcmFormat(c.channels, c.rate, c.bits), {});
        CDirectSoundPlayer player(output);
        player.SetClip(&source);
        ASSERT_EQ(player.Create(false), 1);
        ASSERT_EQ(output.voices.size(), 1u);
        const AudioVoice& voice = *output.voices[0];
        EXPECT_EQ(voice.GetSize(), c.buffer) << c.rate << " Hz " << c.bits << " bits";
        const std::vector<uint32_t> positions = voice.GetNotificationPositions();
        ASSERT_EQ(positions.size(), 16u);
        for (uint32_t i = 0; i < 16; ++i)
            EXPECT_EQ(positions[i], c.block * (i + 1) - 1);
        EXPECT_EQ(positions.back(), c.buffer - 1);
    }
}

struct RunCase
{
    const char* name;
    uint32_t frames;     // the source's length
    uint32_t startFrame; // the read position at Play
};

class DirectSoundPlayerRun : public testing::TestWithParam<RunCase>
{
};

// Play fills the buffer, the thread refills each block play leaves behind, and
// the player stops itself within a block after the source's end.
TEST_P(DirectSoundPlayerRun, PlaysTheSourceOnceAndStopsByItself)
{
    const RunCase& c = GetParam();
    RecordingOutput clock;
    const std::vector<int16_t> ramp = Ramp(c.frames);
    FakeSource source(kProjectFormat, Bytes(ramp));
    source.SetReadPosition(c.startFrame * 4);
    CDirectSoundPlayer player(clock);
    player.SetClip(&source);
    ASSERT_EQ(player.Create(true), 1);
    ASSERT_EQ(player.Play(), 1);
    EXPECT_TRUE(player.IsPlaying());

    const uint32_t expectedFrames = c.frames - c.startFrame;
    uint32_t stoppedAt = 0;
    const std::vector<int16_t> heard =
        PlayFor(clock, player, source, expectedFrames + 44100 / 2, &stoppedAt);
    EXPECT_FALSE(player.IsPlaying());
    ASSERT_GT(stoppedAt, expectedFrames);
    EXPECT_LE(stoppedAt, expectedFrames + 11024 / 4 + kStepFrames) << "within a block";

    const std::vector<int16_t> expected(ramp.begin() + c.startFrame * 2, ramp.end());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), heard.begin()));
    EXPECT_TRUE(std::all_of(heard.begin() + expected.size(), heard.end(),
                            [](int16_t s) { return s == 0; }));
    EXPECT_GT(source.playedPosition, source.GetDataSize()) << "the last report passed the end";
}

INSTANTIATE_TEST_SUITE_P(Sources, DirectSoundPlayerRun,
                         testing::Values(RunCase{"ShorterThanTheBuffer", 11025, 0},
                                         RunCase{"LongerThanTheBuffer", 66150, 4410}),
                         [](const testing::TestParamInfo<RunCase>& info) {
                             return info.param.name;
                         });

// Three block ends pass while the thread is busy and one wake is left for
// them: the thread refills every block play has left, so the next lap plays
// new audio rather than the blocks of a second ago.
TEST(DirectSoundPlayer, ALateWakeRefillsEveryBlockPlayHasLeft)
{
    RecordingOutput clock;
    const std::vector<int16_t> ramp = Ramp(44100 * 2);
    FakeSource source(kProjectFormat, Bytes(ramp));
    CDirectSoundPlayer player(clock);
    player.SetClip(&source);
    ASSERT_EQ(player.Create(false), 1);
    ASSERT_EQ(player.Play(), 1);

    source.SetGate(false);
    const uint32_t lateFrames = 3 * 2756 + 100;
    std::vector<int16_t> heard(size_t(lateFrames) * 2);
    clock.Mix(heard.data(), 2756 + 100);
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return source.readsInProgress == 1; }));
    clock.Mix(heard.data() + (2756 + 100) * 2, 2 * 2756);
    source.SetGate(true);
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return source.playedReports == 3; }));

    const std::vector<int16_t> rest = PlayFor(clock, player, source, 44100 * 2 - lateFrames);
    heard.insert(heard.end(), rest.begin(), rest.end());
    EXPECT_TRUE(heard == ramp);
}

TEST(DirectSoundPlayer, MuteSilencesAtOnceAndUnmuteRestoresTheVolume)
{
    RecordingOutput clock;
    FakeSource source(kProjectFormat, Bytes(std::vector<int16_t>(44100, 16000)));
    CDirectSoundPlayer player(clock);
    player.SetClip(&source);
    player.SetVolume(-600);
    ASSERT_EQ(player.Create(false), 1);
    ASSERT_EQ(player.Play(), 1);
    // Stay inside the first block: no refill is needed.
    auto level = [&] {
        int16_t frame[2];
        clock.Mix(frame, 1);
        return frame[0];
    };
    EXPECT_NEAR(level(), 8019, 1) << "16000 at -6 dB";
    player.Mute(true);
    EXPECT_EQ(level(), 0);
    player.SetVolume(-2000);
    EXPECT_EQ(level(), 0) << "a volume set while muted waits for unmute";
    player.Mute(false);
    EXPECT_NEAR(level(), 1600, 1);

    player.Mute(true);
    ASSERT_EQ(player.Play(), 1);
    EXPECT_EQ(level(), 0) << "a new start keeps the mute";
}

TEST(DirectSoundPlayer, CreateAgainEndsTheOldThreadFirst)
{
    RecordingOutput clock;
    FakeSource source(kProjectFormat, Bytes(Ramp(44100 * 2)));
    CDirectSoundPlayer player(clock);
    player.SetClip(&source);
    ASSERT_EQ(player.Create(false), 1);
    ASSERT_EQ(player.Play(), 1);

    // Catch the thread inside the refill of the first block.
    source.SetGate(false);
    std::vector<int16_t> heard(2 * 3000);
    clock.Mix(heard.data(), 3000);
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return source.readsInProgress == 1; }));

    int readsInProgressAtAttach = -1;
    size_t voicesAtAttach = 99;
    clock.onAttach = [&] {
        readsInProgressAtAttach = source.readsInProgress;
        voicesAtAttach = clock.voices.size();
    };
    int created = 0;
    std::thread gui([&] { created = player.Create(false); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    source.SetGate(true);
    gui.join();

    EXPECT_EQ(created, 1);
    EXPECT_EQ(readsInProgressAtAttach, 0) << "the new voice was built after the old refill";
    EXPECT_EQ(voicesAtAttach, 0u) << "the old voice left the mix first";
    EXPECT_FALSE(player.IsPlaying());
}

TEST(DirectSoundPlayer, StopWaitsForARefillAndThenLeavesTheSourceAlone)
{
    auto clock = std::make_unique<RecordingOutput>();
    FakeSource source(kProjectFormat, Bytes(Ramp(44100 * 2)));
    auto player = std::make_unique<CDirectSoundPlayer>(*clock);
    player->SetClip(&source);
    ASSERT_EQ(player->Create(false), 1);
    ASSERT_EQ(player->Play(), 1);

    source.SetGate(false);
    std::vector<int16_t> heard(2 * 3000);
    clock->Mix(heard.data(), 3000);
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return source.readsInProgress == 1; }));

    std::atomic<bool> stopped{false};
    int stopResult = 0;
    std::thread gui([&] {
        stopResult = player->Stop();
        stopped = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(stopped) << "Stop waits while the source is being read";
    source.SetGate(true);
    gui.join();
    EXPECT_EQ(stopResult, 1);
    EXPECT_EQ(source.readsInProgress, 0);
    EXPECT_FALSE(player->IsPlaying());

    // Whatever the clock does now, the source is not read again.
    const int reads = source.reads;
    std::vector<int16_t> after(2 * 44100);
    clock->Mix(after.data(), 44100);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(source.reads, reads);
    EXPECT_TRUE(std::all_of(after.begin(), after.end(), [](int16_t s) { return s == 0; }));

    player.reset();
    EXPECT_TRUE(clock->voices.empty()) << "the voice left the mix with its player";
}

TEST(DirectSoundPlayer, AClipFreeingItsStoreWhilePlaying)
{
    RecordingOutput clock;
    CWaveDoc clip([&clock] { return std::make_unique<CDirectSoundPlayer>(clock); });
    clip.SetFormat(kProjectFormat);
    ASSERT_TRUE(clip.CreateStore(176400 * 3));
    clip.Play();
    ASSERT_TRUE(clip.IsPlaying());
    std::vector<int16_t> heard(2 * 4410);
    for (int i = 0; i < 10; ++i) {
        clock.Mix(heard.data(), 4410);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    clip.FreeStore();
    EXPECT_FALSE(clip.IsPlaying());
    for (int i = 0; i < 20; ++i)
        clock.Mix(heard.data(), 4410);
    EXPECT_TRUE(std::all_of(heard.begin(), heard.end(), [](int16_t s) { return s == 0; }));
}

QString LogText()
{
    QFile file(AppPaths::DataFolder() + "DirectSoundPlayer.txt");
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(DirectSoundPlayer, FailuresAreLoggedAndAnswered0)
{
    QDir().mkpath(AppPaths::DataFolder());
    RecordingOutput output;
    FakeSource source(kProjectFormat, Bytes(Ramp(100)));
    CDirectSoundPlayer player(output);
    EXPECT_EQ(player.Play(), 0) << "nothing created";
    EXPECT_EQ(player.Stop(), 0);

    player.SetClip(&source);
    output.opens = false;
    EXPECT_EQ(player.Create(false), 0);
    EXPECT_TRUE(LogText().endsWith("]\n创建m_pDirectSound失败\n")) << LogText();
    EXPECT_EQ(player.Play(), 0);
    EXPECT_FALSE(player.IsPlaying());

    output.opens = true;
    for (const WaveFormat& format : {MakePcmFormat(2, 44100, 24), MakePcmFormat(0, 44100, 16)}) {
        FakeSource odd(format, {});
        player.SetClip(&odd);
        EXPECT_EQ(player.Create(false), 0);
        EXPECT_TRUE(LogText().endsWith("]\n创建m_pDSBuffer失败\n")) << LogText();
    }
    EXPECT_TRUE(output.voices.empty());

    player.SetClip(&source);
    EXPECT_EQ(player.Create(false), 1) << "a later start works again";
}

} // namespace
