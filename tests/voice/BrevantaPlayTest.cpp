// Playback and recording of the editor with players that only log, a clock
// driven by hand and a sound input the test feeds.
#include "tests/support/ClipFixtures.h"
#include "tests/support/FakeCapture.h"
#include "tests/support/FakeTicks.h"
#include "voice/Brevanta.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr uint32_t kChunk = 8820; // 100 ms of 22050 Hz 16-bit stereo

class BrevantaPlay : public testing::Test
{
protected:
    void SetUp() override
    {
        // 1000 px of waveform over 10 s of 8000 Hz 8-bit music: 10 ms a pixel,
        // XToMs(x) = (x - 1) * 10, 8 bytes a ms.
        editor.resize(1002, 200);
        auto music = std::make_unique<WaveData>();
        music->SetFormat(MakePcmFormat(1, 8000, 8));
        music->SetBuffer(std::make_unique<WaveBuffer>(80000));
        editor.SetMusic(std::move(music));
        editor.SetCaptureFactory(FakeCaptures(input));
        editor.show();
    }

    // The editor makes its music player first, then the voice player.
    PlayerFactory Players()
    {
        return [this, made = 0]() mutable {
            return std::make_unique<RecordingPlayer>(made++ == 0 ? music : voice);
        };
    }

    void SetVoice(uint32_t bytes, int blockX)
    {
        editor.GetVoice().SetBuffer(std::make_unique<WaveBuffer>(bytes));
        editor.SetVoiceBlockX(blockX);
    }

    // A click in the waveform puts the edit cursor there.
    void PlaceCursor(int x)
    {
        QTest::mouseClick(&editor, Qt::LeftButton, {}, QPoint(x, 100));
        ASSERT_EQ(editor.GetEditCursor(), x);
    }

    // Moves the clock on and lets the play timer step.
    void Advance(uint32_t ms)
    {
        ticks.now += ms;
        editor.OnPlayTimer();
    }

    FakeTicks ticks;
    FakeCaptureState input;
    PlayerLog music;
    PlayerLog voice;
    CBrevanta editor{nullptr, nullptr, nullptr, nullptr, Players(), ticks.Source()};
};

TEST_F(BrevantaPlay, PlayStartsAtTheCursorOrLoopsOverTheSelection)
{
    const struct
    {
        const char* name;
        bool loopMode;
        int start, end, cursor;
        uint32_t readAt; // bytes of music
        bool loops;
        int playEnd;
    } cases[] = {
        {"from the cursor", false, 101, 201, 51, 500 * 8, false, 0},
        {"loop over the selection", true, 101, 201, 51, 1000 * 8, true, 2000},
        {"loop mode, empty selection", true, 101, 101, 51, 500 * 8, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        editor.SetLoopMode(c.loopMode);
        editor.SetSelectionStart(c.start);
        editor.SetSelectionEnd(c.end);
        PlaceCursor(c.cursor);
        ASSERT_EQ(editor.Play(), 1);
        EXPECT_TRUE(editor.IsPlaying());
        EXPECT_EQ(music.readPositionAtPlay, c.readAt);
        EXPECT_EQ(editor.IsLoopPlaying(), c.loops);
        EXPECT_EQ(editor.GetPlayEnd(), c.playEnd);
        EXPECT_EQ(editor.GetPlayPosition(), c.readAt / 8);
        editor.Stop();
        EXPECT_FALSE(editor.IsPlaying());
    }
    EXPECT_EQ(music.creates, 3) << "each start makes the output anew";
}

TEST_F(BrevantaPlay, PauseKeepsThePlaceAndPlayResumesThere)
{
    EXPECT_EQ(editor.Pause(), 0);
    ticks.now = 0xFFFFFF00u; // the tick count wraps during the playback
    ASSERT_EQ(editor.PlayFromStart(), 1);
    Advance(2345);
    ASSERT_EQ(editor.Pause(), 1);
    EXPECT_FALSE(editor.IsPlaying());
    EXPECT_EQ(editor.GetEditCursor(), 235); // 2345 ms on 10 ms a pixel, from x 1
    ASSERT_EQ(editor.Play(), 1);
    EXPECT_EQ(music.readPositionAtPlay, 2340u * 8);
}

TEST_F(BrevantaPlay, WithoutMusicNothingStarts)
{
    editor.SetMusic(std::make_unique<WaveData>()); // a track without samples
    ASSERT_FALSE(editor.IsMusicLoaded());
    EXPECT_EQ(editor.Play(), 0);
    EXPECT_EQ(editor.PlayFromStart(), 0);
    EXPECT_EQ(editor.StartRecord(), 0);
    EXPECT_FALSE(editor.IsPlaying());
    EXPECT_EQ(music.plays, 0);
    EXPECT_EQ(input.opens, 0);
}

TEST_F(BrevantaPlay, TheVoiceJoinsAtItsBlock)
{
    // 3 s of voice: 264600 bytes.
    SetVoice(3 * 88200, 301); // starts at 3000 ms
    ASSERT_EQ(editor.PlayFromStart(), 1);
    Advance(2990);
    EXPECT_FALSE(editor.IsVoicePlaying()) << "not before its time";
    Advance(20);
    ASSERT_TRUE(editor.IsVoicePlaying());
    EXPECT_EQ(voice.readPositionAtPlay, 880u) << "10 ms in: 882 bytes, in whole frames";
    EXPECT_EQ(voice.creates, 1);
    editor.Stop();
    EXPECT_EQ(editor.GetVoice().GetReadPosition(), 0u) << "rewound";

    // A block that began before the play position joins at once, inside.
    PlaceCursor(401); // 4000 ms: 1000 ms into the voice
    ASSERT_EQ(editor.Play(), 1);
    Advance(0);
    ASSERT_TRUE(editor.IsVoicePlaying());
    EXPECT_EQ(voice.readPositionAtPlay, 88200u);
    editor.Stop();

    // Past the voice's end it reads nothing more.
    PlaceCursor(901);
    ASSERT_EQ(editor.Play(), 1);
    Advance(0);
    EXPECT_EQ(voice.readPositionAtPlay, 3u * 88200);
}

TEST_F(BrevantaPlay, ALoopRestartsWithoutANewOutputAndPlaysToTheEndOtherwise)
{
    QSignalSpy restarted(&editor, &CBrevanta::LOOP_RESTARTED);
    QSignalSpy stopped(&editor, &CBrevanta::PLAY_STOPPED);
    bool playingAtNotice = true;
    QObject::connect(&editor, &CBrevanta::PLAY_STOPPED,
                     [&] { playingAtNotice = editor.IsPlaying(); });
    SetVoice(88200, 151); // 1500 ms
    editor.SetLoopMode(true);
    editor.SetSelectionStart(101); // 1000 ms
    editor.SetSelectionEnd(201);   // 2000 ms
    ASSERT_EQ(editor.Play(), 1);
    Advance(600);
    ASSERT_TRUE(editor.IsVoicePlaying());
    Advance(400);
    EXPECT_EQ(restarted.count(), 0) << "the end itself still plays";
    Advance(5);
    EXPECT_EQ(restarted.count(), 1);
    EXPECT_TRUE(editor.IsPlaying());
    EXPECT_EQ(music.creates, 1) << "a restart reuses the output";
    EXPECT_EQ(music.plays, 2);
    EXPECT_EQ(music.readPositionAtPlay, 1000u * 8);
    EXPECT_EQ(editor.GetPlayPosition(), 1000u);
    EXPECT_FALSE(editor.IsVoicePlaying()) << "the voice joins again at its time";
    Advance(500);
    EXPECT_TRUE(editor.IsVoicePlaying());
    EXPECT_EQ(voice.readPositionAtPlay, 0u);
    EXPECT_EQ(stopped.count(), 0);
    editor.Stop();

    editor.SetLoopMode(false);
    PlaceCursor(951); // 9500 ms of 10000
    ASSERT_EQ(editor.Play(), 1);
    Advance(500);
    EXPECT_TRUE(editor.IsPlaying());
    Advance(1);
    EXPECT_FALSE(editor.IsPlaying());
    EXPECT_EQ(stopped.count(), 1);
    EXPECT_FALSE(playingAtNotice) << "stopped before the notice";
    EXPECT_EQ(restarted.count(), 1);
}

TEST_F(BrevantaPlay, LoopModeOffDuringALoopPlaysOnPastTheSelectionToTheEnd)
{
    QSignalSpy restarted(&editor, &CBrevanta::LOOP_RESTARTED);
    QSignalSpy stopped(&editor, &CBrevanta::PLAY_STOPPED);
    editor.SetLoopMode(true);
    editor.SetSelectionStart(101); // 1000 ms
    editor.SetSelectionEnd(201);   // 2000 ms
    ASSERT_EQ(editor.Play(), 1);
    Advance(1005);
    ASSERT_EQ(restarted.count(), 1);
    Advance(500);
    editor.SetLoopMode(false);
    EXPECT_FALSE(editor.IsLoopPlaying());
    // Past the selection's end: the music goes on, nothing restarts or stops.
    Advance(600);
    Advance(5000);
    EXPECT_TRUE(editor.IsPlaying());
    EXPECT_EQ(music.plays, 2);
    EXPECT_EQ(restarted.count(), 1);
    EXPECT_EQ(stopped.count(), 0);
    EXPECT_EQ(editor.GetPlayPosition(), 7100u);
    // Then it ends at the music's end as any playback does.
    Advance(3000);
    EXPECT_FALSE(editor.IsPlaying());
    EXPECT_EQ(stopped.count(), 1);
    EXPECT_EQ(restarted.count(), 1);
}

TEST_F(BrevantaPlay, VolumesAndMutesGoToTheirPlayers)
{
    editor.SetMusicVolume(-600);
    editor.SetVoiceVolume(-1200);
    editor.MuteVoice(true);
    EXPECT_EQ(music.lastVolume, -600);
    EXPECT_EQ(voice.lastVolume, -1200);
    EXPECT_FALSE(music.lastMute);
    EXPECT_TRUE(voice.lastMute);
    editor.MuteMusic(true);
    EXPECT_TRUE(music.lastMute);
}

TEST_F(BrevantaPlay, RecordingKeepsAGaplessPrefixInWholeChunks)
{
    QSignalSpy stopped(&editor, &CBrevanta::RECORD_STOPPED);
    // What the owner finds when it hears of the stop.
    uint32_t voiceAtNotice = 0;
    bool recordingAtNotice = true;
    QObject::connect(&editor, &CBrevanta::RECORD_STOPPED, [&] {
        voiceAtNotice = editor.GetVoice().GetSize();
        recordingAtNotice = editor.IsRecording();
    });
    PlaceCursor(201); // 2000 ms: 8 s of room
    ASSERT_EQ(editor.StartRecord(), 1);
    EXPECT_TRUE(editor.IsRecording());
    EXPECT_TRUE(editor.IsPlaying());
    EXPECT_EQ(editor.GetRecordCapacity(), 705600u);
    EXPECT_EQ(input.format.rate, 22050u);
    EXPECT_EQ(input.format.channels, 2);
    EXPECT_EQ(input.format.bits, 16);
    EXPECT_EQ(music.readPositionAtPlay, 2000u * 8) << "the music plays from the cursor";
    EXPECT_EQ(editor.GetVoiceBlockX(), 201);

    // 3.5 chunks in pieces that never line up with a chunk.
    const QByteArray ramp = RampFrames(0, kChunk * 7 / 8);
    ASSERT_TRUE(Deliver(input, ramp, 1000));
    Advance(10);
    EXPECT_TRUE(editor.IsRecording());
    EXPECT_FALSE(editor.IsVoicePlaying()) << "no voice plays while one is recorded";
    editor.Stop();
    EXPECT_EQ(stopped.count(), 1);
    EXPECT_EQ(voiceAtNotice, 3 * kChunk) << "the voice is in place before the notice";
    EXPECT_FALSE(recordingAtNotice);
    EXPECT_EQ(input.closes, 1);
    ASSERT_EQ(editor.GetVoice().GetSize(), 3 * kChunk);
    EXPECT_EQ(std::memcmp(editor.GetVoice().GetData(), ramp.constData(), 3 * kChunk), 0);
    EXPECT_TRUE(editor.GetVoice().IsSameFormat(editor.GetRecordFormat()));
}

TEST_F(BrevantaPlay, AFullBlockEndsTheRecordingAndTheMusicPlaysOn)
{
    QSignalSpy stopped(&editor, &CBrevanta::RECORD_STOPPED);
    PlaceCursor(976); // 9750 ms: room for 2 chunks and a half
    ASSERT_EQ(editor.StartRecord(), 1);
    ASSERT_EQ(editor.GetRecordCapacity(), 22048u);
    const QByteArray ramp = RampFrames(0, kChunk);
    ASSERT_TRUE(Deliver(input, ramp));
    EXPECT_TRUE(editor.IsRecording()) << "the capture thread only marks the block full";
    Advance(10);
    EXPECT_FALSE(editor.IsRecording());
    EXPECT_TRUE(editor.IsPlaying());
    EXPECT_EQ(stopped.count(), 1);
    EXPECT_EQ(input.closes, 1);
    ASSERT_EQ(editor.GetVoice().GetSize(), 2 * kChunk);
    EXPECT_EQ(std::memcmp(editor.GetVoice().GetData(), ramp.constData(), 2 * kChunk), 0);
}

TEST_F(BrevantaPlay, ShortOrRefusedRecordings)
{
    // Shorter than one chunk: an empty voice.
    ASSERT_EQ(editor.StartRecord(), 1);
    ASSERT_TRUE(Deliver(input, RampFrames(0, kChunk / 4 - 1)));
    editor.Stop();
    EXPECT_TRUE(editor.GetVoice().HasData());
    EXPECT_EQ(editor.GetVoice().GetSize(), 0u);
    EXPECT_EQ(editor.GetVoiceBlockWidth(), 1);

    // Each refusal keeps the voice there is.
    SetVoice(kChunk, 11);
    PlaceCursor(996); // 9950 ms: less than one chunk of room
    EXPECT_EQ(editor.StartRecord(), 0);
    EXPECT_EQ(input.opens, 1) << "the input is not even opened";
    PlaceCursor(1);
    input.refuseOpen = true;
    EXPECT_EQ(editor.StartRecord(), 0);
    EXPECT_FALSE(editor.IsRecording());
    EXPECT_FALSE(editor.IsPlaying());
    EXPECT_EQ(editor.GetVoice().GetSize(), kChunk);
    input.refuseOpen = false;

    editor.DeleteRecording();
    EXPECT_FALSE(editor.GetVoice().HasData());
}

// A player that notes how many bytes its track held when it was stopped.
class StopWatchingPlayer : public RecordingPlayer
{
public:
    StopWatchingPlayer(PlayerLog& log, uint32_t& sizeAtStop)
        : RecordingPlayer(log), m_sizeAtStop(sizeAtStop)
    {
    }
    void SetClip(ISampleSource* source) override
    {
        m_track = source;
        RecordingPlayer::SetClip(source);
    }
    int Stop() override
    {
        if (IsPlaying())
            m_sizeAtStop = m_track->GetDataSize();
        return RecordingPlayer::Stop();
    }

private:
    uint32_t& m_sizeAtStop;
    ISampleSource* m_track = nullptr;
};

TEST_F(BrevantaPlay, NewOrClearedMusicEndsPlaybackAndRecordingFirst)
{
    // The music player is stopped while its track still holds the old
    // samples; afterwards nothing plays or records, and a new recording gets
    // the room of the new music.
    uint32_t sizeAtStop = 0;
    PlayerLog log;
    CBrevanta watched(
        nullptr, nullptr, nullptr, nullptr,
        [&] { return std::make_unique<StopWatchingPlayer>(log, sizeAtStop); }, ticks.Source());
    watched.resize(1002, 200);
    watched.SetCaptureFactory(FakeCaptures(input));
    const auto Music = [](uint32_t seconds) {
        auto music = std::make_unique<WaveData>();
        music->SetFormat(MakePcmFormat(1, 8000, 8));
        music->SetBuffer(std::make_unique<WaveBuffer>(seconds * 8000));
        return music;
    };
    const struct
    {
        const char* name;
        bool record;
        bool clear; // else a 10-s song replaces the music
    } cases[] = {
        {"clear while playing", false, true},
        {"clear while recording", true, true},
        {"replace while playing", false, false},
        {"replace while recording", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(watched.SetMusic(Music(60)));
        QSignalSpy recordStopped(&watched, &CBrevanta::RECORD_STOPPED);
        if (c.record) {
            ASSERT_EQ(watched.StartRecord(), 1);
            EXPECT_EQ(watched.GetRecordCapacity(), 60u * 88200);
            ASSERT_TRUE(Deliver(input, RampFrames(0, kChunk / 2)));
        } else {
            ASSERT_EQ(watched.PlayFromStart(), 1);
        }
        sizeAtStop = 0;
        if (c.clear)
            ASSERT_TRUE(watched.ClearMusic());
        else
            ASSERT_TRUE(watched.SetMusic(Music(10)));
        EXPECT_EQ(sizeAtStop, 60u * 8000) << "stopped before the samples went";
        EXPECT_FALSE(watched.IsPlaying());
        EXPECT_FALSE(watched.IsRecording());
        EXPECT_FALSE(watched.IsVoicePlaying());
        EXPECT_EQ(recordStopped.count(), c.record ? 1 : 0);
        if (c.record) {
            EXPECT_EQ(watched.GetVoice().GetSize(), 2 * kChunk) << "the recording is kept";
            EXPECT_EQ(input.sink, nullptr) << "the input is closed";
        }
        if (!c.clear) {
            ASSERT_EQ(watched.StartRecord(), 1);
            EXPECT_EQ(watched.GetRecordCapacity(), 10u * 88200) << "the new song's room";
            watched.Stop();
        }
    }
}

} // namespace
