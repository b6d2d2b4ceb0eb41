#include "audio/EditHistory.h"
#include "audio/SaveOptions.h"
#include "audio/TrackClipboard.h"
#include "editor/WaveCtrl.h"
#include "platform/IMessageSink.h"
#include "tests/support/ClipFixtures.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class RecordingSink : public IMessageSink
{
public:
    void ShowMessage(const QString& text) override { messages << text; }
    QStringList messages;
};

struct Files : testing::Test
{
    Files()
    {
        QDir().mkpath(TestEnvironment::DataHome() + "/VazoZedu");
        ctrl.resize(800, 400);
        ctrl.SetEditContext(&history, &clipboard);
        ctrl.SetMessageSink(&sink);
        ctrl.show();
    }
    ~Files() override
    {
        ctrl.WaitForWorkers();
        history.Clear();
    }
    // A 1-second WAV written by the engine, checked by nothing here.
    QString Wav(const QString& name)
    {
        const QString path = TestEnvironment::Home() + "/" + name;
        EXPECT_TRUE(IndexedClip(44100)->WriteWaveFile(path));
        return path;
    }
    bool WaitForClips(int count)
    {
        return TestEnvironment::WaitFor([&] { return ctrl.GetClipCount() == count; }, 10000);
    }

    RecordingSink sink;
    EditHistory history;
    CTrackClipboard clipboard;
    CWaveCtrl ctrl;
};

TEST_F(Files, OpenAtAPositionOnATrack)
{
    CAudioTrack* track = ctrl.AddNewTrack();
    const QString song = Wav("song.wav");
    ctrl.SetFileChooser([&](QWidget*) { return song; });
    std::unique_ptr<QMenu> menu = ctrl.PrepareContextMenu(40, 90); // level 2: 4000 ms
    ASSERT_TRUE(menu);
    ctrl.OnOpenAudioAtPosition();
    EXPECT_TRUE(ctrl.IsBusy()) << "an open from the file dialog holds the timeline";
    ASSERT_TRUE(WaitForClips(1));
    EXPECT_FALSE(ctrl.IsBusy());
    ASSERT_EQ(track->GetClipCount(), 1);
    EXPECT_EQ(track->GetClip(0)->GetStart(), 4000u);
    EXPECT_EQ(FrameAt(*track->GetClip(0), 400), 100u) << "the samples came through unchanged";
    ASSERT_EQ(history.GetUndoCount(), 1);
    EXPECT_EQ(history.GetUndoEdit(0)->GetName(), QStringLiteral("添加音频"));
    EXPECT_TRUE(sink.messages.isEmpty());
}

TEST_F(Files, OpenToANewTrackIsOneUndoStep)
{
    QSignalSpy added(&ctrl, &CWaveCtrl::clipAdded);
    ctrl.OpenAudioToNewTrack(Wav("a.wav"));
    ASSERT_TRUE(WaitForClips(1));
    EXPECT_EQ(ctrl.GetTrackCount(), 1);
    EXPECT_EQ(added.count(), 1);
    EXPECT_EQ(history.GetUndoEdit(0)->GetName(), QStringLiteral("添加音轨"));
    history.Undo();
    EXPECT_EQ(ctrl.GetTrackCount(), 0);
}

TEST_F(Files, UnreadableFilesAreReported)
{
    const QString text = TestEnvironment::Home() + "/notes.wav";
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not audio at all");
    file.close();
    ctrl.OpenAudioToNewTrack(text);
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return !sink.messages.isEmpty(); }, 10000));
    EXPECT_EQ(sink.messages, QStringList{QStringLiteral("不支持的文件类型！")});
    EXPECT_EQ(ctrl.GetTrackCount(), 0);
}

TEST_F(Files, SaveWritesTheMixAndHoldsEditsMeanwhile)
{
    ctrl.OpenAudioToNewTrack(Wav("a.wav"));
    ASSERT_TRUE(WaitForClips(1));
    const QString out = TestEnvironment::Home() + "/mix";
    ctrl.SetSaveChooser([&](QWidget*, uint32_t, uint32_t projectMs, SaveOptions* options) {
        EXPECT_EQ(projectMs, 1000u);
        options->saveType = SaveOptions::kRingWav;
        options->outputPath = out;
        return true;
    });
    QSignalSpy finished(&ctrl, &CWaveCtrl::saveFinished);
    ctrl.SaveAs();
    EXPECT_TRUE(ctrl.IsBusy());
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(finished.at(0).at(0).toBool());
    EXPECT_FALSE(ctrl.IsBusy());
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-show_entries", "stream=sample_rate,channels:format=duration",
                            "-of", "default=nw=1", out + ".wav"});
    ASSERT_TRUE(probe.waitForFinished(10000));
    const QByteArray facts = probe.readAllStandardOutput();
    EXPECT_TRUE(facts.contains("sample_rate=8000")) << facts;
    EXPECT_TRUE(facts.contains("channels=1")) << facts;
    EXPECT_TRUE(facts.contains("duration=1.0")) << facts;
}

TEST_F(Files, ClipsOpenedDuringASaveWaitForIt)
{
    ctrl.OpenAudioToNewTrack(Wav("a.wav"));
    ASSERT_TRUE(WaitForClips(1));
    // An encoder that takes its time keeps the save's worker reading the tracks.
    const QString bin = TestEnvironment::Home() + "/bin";
    QDir().mkpath(bin);
    QFile lame(bin + "/lame");
    ASSERT_TRUE(lame.open(QIODevice::WriteOnly));
    lame.write("#!/bin/sh\nsleep 1\nexit 1\n");
    lame.close();
    lame.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", (bin + ":" + path).toLocal8Bit());
    ctrl.SetSaveChooser([&](QWidget*, uint32_t, uint32_t, SaveOptions* options) {
        options->saveType = SaveOptions::kMp3;
        options->outputPath = TestEnvironment::Home() + "/slow";
        return true;
    });
    QSignalSpy finished(&ctrl, &CWaveCtrl::saveFinished);
    ctrl.SaveAs();
    EXPECT_EQ(ctrl.StartRecording(), 0) << "no new track while the save reads them";
    ctrl.OpenAudioToNewTrack(Wav("b.wav"));
    QTest::qWait(500);
    EXPECT_EQ(ctrl.GetTrackCount(), 1) << "the opened clip waits for the save";
    ASSERT_TRUE(finished.wait(10000));
    qputenv("PATH", path);
    EXPECT_TRUE(WaitForClips(2));
    EXPECT_EQ(ctrl.GetTrackCount(), 2);
    EXPECT_EQ(sink.messages, QStringList{QStringLiteral("转换MP3时失败！")});
}

} // namespace
