#include "audio/EditHistory.h"
#include "audio/TrackClipboard.h"
#include "editor/EditorView.h"
#include "editor/HorizontalScrollBarEx.h"
#include "editor/WaveCtrl.h"
#include "platform/AppPaths.h"
#include "platform/IMessageSink.h"
#include "platform/WorkingFolder.h"
#include "tests/support/ClipFixtures.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/FakeTicks.h"
#include "tests/support/FakeCapture.h"
#include "tests/support/PythonWave.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kBuffer = 17640; // 100 ms of the project format
const QString kWriteFailed = QStringLiteral("写入录音文件失败，录音已停止！");

class RecordingSink : public IMessageSink
{
public:
    void ShowMessage(const QString& text) override { messages << text; }
    QStringList messages;
};

QString RecordFile()
{
    return WorkingFolder::FilePath(QString::fromLatin1(CWaveCtrl::kRecordFileName));
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

uint32_t U32At(const QByteArray& bytes, int offset)
{
    uint32_t value = 0;
    if (offset + 4 <= bytes.size())
        std::memcpy(&value, bytes.constData() + offset, 4);
    return value;
}

// The recording file holds dataBytes of the ramp with both sizes right, as
// Python's wave module reads it.
void ExpectRecordFile(uint32_t dataBytes)
{
    const QByteArray file = ReadAll(RecordFile());
    ASSERT_EQ(file.size(), 44 + qsizetype{dataBytes});
    EXPECT_EQ(U32At(file, 40), dataBytes);
    EXPECT_EQ(U32At(file, 4), dataBytes + 36);
    const PythonWave wave = ReadWithPython(RecordFile());
    ASSERT_TRUE(wave.ok);
    EXPECT_EQ(wave.channels, 2);
    EXPECT_EQ(wave.rate, 44100);
    EXPECT_EQ(wave.sampleWidth, 2);
    EXPECT_EQ(wave.frames, dataBytes / 4);
    EXPECT_TRUE(wave.samples == RampFrames(0, dataBytes / 4));
}

struct Recording : testing::Test
{
    Recording()
    {
        ctrl.resize(800, 400);
        ctrl.SetTickSource(ticks.Source());
        ctrl.SetEditContext(&history, &clipboard);
        ctrl.SetCaptureFactory(FakeCaptures(input));
        ctrl.SetMessageSink(&messages);
    }
    ~Recording() override
    {
        clipboard.RemoveAll();
        history.Clear();
    }

    CWaveDoc* AddMusic(uint32_t startMs, uint32_t lengthMs)
    {
        CAudioTrack* track = ctrl.AddNewTrack();
        auto clip = IndexedClip(lengthMs * 441 / 10, &log, startMs);
        CWaveDoc* raw = clip.get();
        track->AddClip(std::move(clip));
        ctrl.RebuildPlayList();
        return raw;
    }

    // Hands over whole buffers of the ramp, continuing it, and waits until
    // the clip has counted them.
    bool Feed(CWaveDoc* clip, uint32_t buffers)
    {
        const uint32_t frames = buffers * kBuffer / 4;
        if (!Deliver(input, RampFrames(m_fed, frames)))
            return false;
        m_fed += frames;
        return TestEnvironment::WaitFor([&] { return clip->GetRecordedBytes() == m_fed * 4; });
    }

    FakeTicks ticks;
    FakeCaptureState input;
    RecordingSink messages;
    PlayerLog log;
    EditHistory history;
    CTrackClipboard clipboard;
    CWaveCtrl ctrl;

private:
    uint32_t m_fed = 0; // frames
};

TEST_F(Recording, TenBuffersGiveTenNoticesAndAWholeFile)
{
    QSignalSpy done(&ctrl, &CWaveCtrl::recordBufferDone);
    QSignalSpy stopped(&ctrl, &CWaveCtrl::recordingStopped);
    ASSERT_EQ(ctrl.StartRecording(), 1);
    EXPECT_TRUE(ctrl.IsRecording());
    EXPECT_TRUE(ctrl.IsPlaying());
    EXPECT_TRUE(input.started);
    CWaveDoc* clip = ctrl.GetTrack(0)->GetClip(0);
    EXPECT_TRUE(clip->IsRecording());
    EXPECT_TRUE(clip->IsRecordedClip());
    EXPECT_EQ(clip->GetFormat(), kProjectFormat);

    // Ten whole buffers and the start of an eleventh.
    ASSERT_TRUE(Deliver(input, RampFrames(0, 10 * kBuffer / 4 + 700)));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return done.count() == 10; }));
    EXPECT_EQ(clip->GetDuration(), 1000u) << "the clip grows while it records";
    EXPECT_EQ(ctrl.GetProjectLength(), 1000u);

    ctrl.StopPlayback();
    EXPECT_FALSE(ctrl.IsRecording());
    EXPECT_EQ(stopped.count(), 1);
    EXPECT_EQ(input.closes, 1);
    ExpectRecordFile(176400);
    // The clip now holds the file's samples in its own store.
    EXPECT_FALSE(clip->IsRecording());
    EXPECT_TRUE(clip->IsRecordedClip());
    EXPECT_EQ(clip->GetDataSize(), 176400u);
    EXPECT_EQ(FrameAt(*clip, 4 * 44099), 44099u);
    QCoreApplication::processEvents();
    EXPECT_EQ(done.count(), 10) << "the partial buffer is not stored";
    EXPECT_TRUE(messages.messages.isEmpty());
}

TEST_F(Recording, NewLastTrackAtTheCursorWhileTheOthersPlayAndUndoRedo)
{
    CWaveDoc* music = AddMusic(0, 20000);
    ctrl.SetEditCursor(5000);
    QSignalSpy started(&ctrl, &CWaveCtrl::playStarted);
    ASSERT_EQ(ctrl.StartRecording(), 1);
    ASSERT_EQ(ctrl.GetTrackCount(), 2);
    CAudioTrack* track = ctrl.GetTrack(1);
    CWaveDoc* clip = track->GetClip(0);
    EXPECT_EQ(clip->GetStart(), 5000u);
    ASSERT_EQ(started.count(), 1);
    EXPECT_EQ(started.at(0).at(0).toUInt(), 5000u);

    ticks.now += 10;
    ctrl.TickPlayClock();
    EXPECT_TRUE(music->IsPlaying());
    EXPECT_EQ(log.readPositionAtPlay, music->MsToBytes(5010));
    EXPECT_FALSE(clip->IsPlaying());
    ASSERT_TRUE(Feed(clip, 2));
    ticks.now += 60000; // far past the end of the project
    ctrl.TickPlayClock();
    EXPECT_TRUE(ctrl.IsPlaying()) << "the clock runs on while recording";

    ASSERT_EQ(history.GetUndoCount(), 1);
    EXPECT_EQ(history.GetUndoEdit(0)->GetName(), "添加录音");
    EXPECT_EQ(history.Undo(), 1);
    EXPECT_FALSE(ctrl.IsRecording());
    EXPECT_FALSE(ctrl.IsPlaying());
    EXPECT_EQ(ctrl.GetTrackCount(), 1);
    ExpectRecordFile(2 * kBuffer);

    EXPECT_EQ(history.Redo(), 1);
    ASSERT_EQ(ctrl.GetTrackCount(), 2);
    EXPECT_EQ(ctrl.GetTrack(1), track);
    EXPECT_EQ(track->GetClip(0), clip);
    EXPECT_EQ(clip->GetStart(), 5000u);
    EXPECT_EQ(clip->GetDataSize(), 2 * kBuffer);
    EXPECT_EQ(ctrl.GetProjectLength(), 20000u);
}

TEST_F(Recording, StoppingWhenNothingRecordsChangesNothing)
{
    AddMusic(0, 1000);
    QSignalSpy recordingStopped(&ctrl, &CWaveCtrl::recordingStopped);
    QSignalSpy playStopped(&ctrl, &CWaveCtrl::playStopped);
    ctrl.StopRecording();
    EXPECT_EQ(recordingStopped.count(), 0);
    EXPECT_EQ(playStopped.count(), 0);
    EXPECT_EQ(ctrl.GetTrackCount(), 1);
    EXPECT_EQ(history.GetCount(), 0);
    EXPECT_EQ(input.opens, 0);
    EXPECT_FALSE(QFile::exists(RecordFile()));
}

// Neither a refused sound input nor a recording file that cannot be made
// adds a track, an undo step or a message.
TEST_F(Recording, FailingDeviceOrFileGivesZeroAndNoTrack)
{
    struct Case
    {
        const char* name;
        bool refuseDevice;
        bool blockDataFolder;
    };
    for (const Case& c : {Case{"device", true, false}, Case{"file", false, true}}) {
        input.refuseOpen = c.refuseDevice;
        if (c.blockDataFolder) {
            // A plain file where the data folder belongs: no working folder.
            WorkingFolder::Remove();
            QDir(AppPaths::DataFolder()).removeRecursively();
            QFile blocker(AppPaths::DataFolder().chopped(1));
            ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        }
        EXPECT_EQ(ctrl.StartRecording(), 0) << c.name;
        EXPECT_EQ(ctrl.GetTrackCount(), 0) << c.name;
        EXPECT_EQ(history.GetCount(), 0) << c.name;
        EXPECT_FALSE(ctrl.IsRecording()) << c.name;
        EXPECT_FALSE(ctrl.IsPlaying()) << c.name;
        EXPECT_EQ(input.opens, input.closes) << c.name;
        EXPECT_TRUE(messages.messages.isEmpty()) << c.name;
    }
}

TEST_F(Recording, WriteErrorStopsTheRecordingWithAMessage)
{
    QSignalSpy stopped(&ctrl, &CWaveCtrl::recordingStopped);
    ASSERT_EQ(ctrl.StartRecording(), 1);
    CWaveDoc* clip = ctrl.GetTrack(0)->GetClip(0);
    {
        // Room for two buffers and a bit of the third.
        FileSizeLimit limit(44 + 2 * kBuffer + 100);
        ASSERT_TRUE(limit.IsSet());
        ASSERT_TRUE(Deliver(input, RampFrames(0, 4 * kBuffer / 4)));
        ASSERT_TRUE(TestEnvironment::WaitFor([&] { return !ctrl.IsRecording(); }));
    }
    EXPECT_EQ(messages.messages, QStringList{kWriteFailed});
    EXPECT_EQ(stopped.count(), 1);
    EXPECT_FALSE(ctrl.IsPlaying());
    EXPECT_EQ(input.closes, 1);
    // What was stored before the failure is kept, without the broken part.
    ExpectRecordFile(2 * kBuffer);
    EXPECT_EQ(clip->GetDataSize(), 2 * kBuffer);
}

TEST_F(Recording, ClosingTheWindowWhileRecordingStopsCleanly)
{
    auto window = std::make_unique<CWaveCtrl>();
    window->SetCaptureFactory(FakeCaptures(input));
    window->SetMessageSink(&messages);
    ASSERT_EQ(window->StartRecording(), 1);
    ASSERT_TRUE(Deliver(input, RampFrames(0, 3 * kBuffer / 4 + 10)));
    window.reset();
    QCoreApplication::processEvents(); // notices posted to the gone window are dropped
    EXPECT_EQ(input.closes, 1);
    ExpectRecordFile(3 * kBuffer);
    EXPECT_TRUE(messages.messages.isEmpty());
}

// The record button starts and stops, the horizontal range follows the
// recording, and a stop from elsewhere releases the button.
TEST(RecordButton, StartsStopsAndTheRangeFollows)
{
    CEditorView view;
    view.resize(800, 400);
    view.InitEditor();
    CWaveCtrl* ctrl = view.WaveCtrl();
    FakeCaptureState input;
    ctrl->SetCaptureFactory(FakeCaptures(input));
    QAction* record = view.RecordAction();

    input.refuseOpen = true;
    record->trigger();
    EXPECT_TRUE(record->isChecked()) << "stays pressed when the device fails";
    EXPECT_FALSE(ctrl->IsRecording());
    record->trigger();
    EXPECT_FALSE(record->isChecked());

    input.refuseOpen = false;
    record->trigger();
    ASSERT_TRUE(ctrl->IsRecording());
    ASSERT_TRUE(Deliver(input, RampFrames(0, 10 * kBuffer / 4)));
    // One second is 10 px at the starting zoom.
    EXPECT_TRUE(TestEnvironment::WaitFor([&] { return view.HorizontalBar()->GetRange() == 10; }));
    record->trigger();
    EXPECT_FALSE(ctrl->IsRecording());
    EXPECT_EQ(ctrl->GetTrack(0)->GetClip(0)->GetDataSize(), 10 * kBuffer);

    record->trigger();
    ASSERT_TRUE(ctrl->IsRecording());
    ctrl->Pause();
    EXPECT_FALSE(ctrl->IsRecording());
    EXPECT_TRUE(TestEnvironment::WaitFor([&] { return !record->isChecked(); }));
    EXPECT_EQ(ctrl->GetTrackCount(), 2);
}

} // namespace
