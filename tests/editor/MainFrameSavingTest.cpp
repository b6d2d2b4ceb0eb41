// The frame as the program builds it, around saving: commands held while a
// worker reads the tracks, unsaved work, the save dialog's folder and what
// goes into the saved mix.
#include "audio/IProgress.h"
#include "audio/SaveOptions.h"
#include "editor/ControlPadContainer.h"
#include "editor/ControlView.h"
#include "editor/MainFrame.h"
#include "editor/WaveCtrl.h"
#include "editor/WaveSaveDialog.h"
#include "platform/IMessageSink.h"
#include "tests/editor/TrackPadFixture.h"
#include "tests/support/ClipFixtures.h"
#include "tests/support/PythonWave.h"
#include "tests/support/ScriptedQuestions.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

using Command = CMainFrame::Command;
using Answer = IQuestionBox::Answer;

class RecordingSink : public IMessageSink
{
public:
    void ShowMessage(const QString& text) override { messages << text; }
    QStringList messages;
};

// Holds a worker at its first stage, before it reads anything, until opened.
class StageGate : public IProgress
{
public:
    void StageAnalyse() override
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_reached = true;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_open; });
    }
    void StageConvert() override {}
    void StageLoad() override {}
    void StageSave() override {}
    void StageMix() override {}
    void Advance(int) override {}
    void StageDone() override {}

    bool WaitReached()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(10), [this] { return m_reached; });
    }
    void Open()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_reached = false;
    bool m_open = false;
};

QByteArray Bytes(const CWaveDoc& clip)
{
    CMappedView view = clip.GetStore()->MapView(0, clip.GetDataSize());
    return QByteArray(reinterpret_cast<const char*>(view.data()),
                      static_cast<qsizetype>(view.size()));
}

struct FrameSaving : testing::Test
{
    FrameSaving()
    {
        QDir().mkpath(TestEnvironment::DataHome() + "/VazoZedu");
        ctrl->SetMessageSink(&sink);
        frame.SetQuestionBox(&questions);
        frame.resize(1000, 700);
        frame.show();
        QCoreApplication::processEvents();
    }
    ~FrameSaving() override
    {
        // A failed test must not leave a worker waiting at the gate.
        gate.Open();
        ctrl->WaitForWorkers();
    }

    CWaveDoc* Put(int trackIndex, uint32_t startMs, uint32_t frames)
    {
        while (ctrl->GetTrackCount() <= trackIndex)
            ctrl->AddNewTrack();
        auto clip = IndexedClip(frames, nullptr, startMs);
        CWaveDoc* raw = clip.get();
        ctrl->GetTrack(trackIndex)->AddClip(std::move(clip));
        ctrl->RebuildPlayList();
        frame.UpdateCommands();
        return raw;
    }
    // An edit that leaves something to save: 10 ms cut out of track 0's
    // first 100 ms, each time elsewhere.
    void Change()
    {
        const uint32_t at = 10 + 20 * m_changes++;
        ctrl->SetSelection(at, at + 10);
        ctrl->DeleteSelection(false);
        ASSERT_FALSE(frame.History().IsClean());
    }
    QString Wav(const QString& name)
    {
        const QString path = TestEnvironment::Home() + "/" + name;
        EXPECT_TRUE(IndexedClip(44100)->WriteWaveFile(path));
        return path;
    }
    // The save dialog's answer: the whole mix (or the selected part) as WAV to path.
    void SaveTo(const QString& path, bool selectedPart = false)
    {
        ctrl->SetSaveChooser(
            [path, selectedPart](QWidget*, uint32_t, uint32_t, SaveOptions* options) {
                options->saveType = SaveOptions::kWav;
                options->outputPath = path;
                options->selectedPart = selectedPart;
                return true;
            });
    }

    StageGate gate;
    RecordingSink sink;
    ScriptedQuestions questions;
    CMainFrame frame;
    CWaveCtrl* ctrl = frame.WaveCtrl();
    QSignalSpy finished{ctrl, &CWaveCtrl::saveFinished};
    uint32_t m_changes = 0;
};

TEST_F(FrameSaving, WhileASaveReadsTheTracksNothingChangesThem)
{
    Put(0, 0, 44100);
    Put(1, 500, 22050);
    Change();
    ctrl->SetSelection(300, 400);
    ctrl->DeleteSelection(false);
    ASSERT_TRUE(frame.OnUndoSteps(0)); // one step to undo, one to redo
    ctrl->SetSelection(600, 700);
    ctrl->CopySelection();
    const std::unique_ptr<CWaveDoc> expected = ctrl->MixdownAll(nullptr);
    const int clips = ctrl->GetClipCount();

    const QString out = TestEnvironment::Home() + "/mix.wav";
    SaveTo(out);
    ctrl->SetWorkerProgress(&gate);
    frame.Action(Command::Save)->trigger();
    ASSERT_TRUE(gate.WaitReached());
    ASSERT_TRUE(ctrl->IsBusy());
    for (Command command :
         {Command::New, Command::Open, Command::Save, Command::Undo, Command::Redo, Command::Cut,
          Command::Paste, Command::Delete, Command::Trim})
        EXPECT_FALSE(frame.Action(command)->isEnabled()) << static_cast<int>(command);

    // Whatever the buttons show, every command that changes tracks refuses.
    for (Command command : {Command::New, Command::Undo, Command::Redo, Command::Paste,
                            Command::Cut, Command::Delete, Command::Trim}) {
        frame.Action(command)->setEnabled(true);
        frame.Action(command)->trigger();
    }
    frame.Action(Command::Undo)->setEnabled(true);
    QApplication::setActiveWindow(&frame);
    QTest::keyClick(&frame, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(frame.OnUndoSteps(0));
    EXPECT_FALSE(frame.OnRedoSteps(0));
    std::unique_ptr<QMenu> menu = ctrl->PrepareContextMenu(2, 170); // track 1, before its clip
    ASSERT_TRUE(menu);
    for (QAction* action : menu->actions()) {
        if (action->text() == QStringLiteral("删除音轨")) {
            EXPECT_FALSE(action->isEnabled());
        }
    }
    ctrl->OnDeleteTrack();
    EXPECT_EQ(ctrl->StartRecording(), 0);

    EXPECT_EQ(ctrl->GetTrackCount(), 2);
    EXPECT_EQ(ctrl->GetClipCount(), clips);
    EXPECT_EQ(frame.History().GetUndoCount(), 1);
    EXPECT_EQ(frame.History().GetRedoCount(), 1);
    EXPECT_TRUE(questions.asked.isEmpty()) << "New refuses before it asks";

    gate.Open();
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(finished.at(0).at(0).toBool());
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.messages.join('\n').toStdString();
    for (Command command : {Command::New, Command::Save, Command::Undo, Command::Redo})
        EXPECT_TRUE(frame.Action(command)->isEnabled()) << static_cast<int>(command);

    const PythonWave wave = ReadWithPython(out);
    ASSERT_TRUE(wave.ok);
    EXPECT_EQ(wave.channels, 2);
    EXPECT_EQ(wave.rate, 44100);
    EXPECT_EQ(wave.sampleWidth, 2);
    EXPECT_EQ(wave.frames, 44100);
    EXPECT_TRUE(wave.samples == Bytes(*expected)) << "the mix as it was when the save began";
}

TEST_F(FrameSaving, AFailedOpenGivesTheCommandsBack)
{
    Put(0, 0, 4410);
    const QString notes = TestEnvironment::Home() + "/notes.wav";
    QFile file(notes);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not audio at all");
    file.close();
    ctrl->SetFileChooser([&](QWidget*) { return notes; });

    frame.Action(Command::Open)->trigger();
    ASSERT_TRUE(ctrl->IsBusy());
    EXPECT_FALSE(frame.Action(Command::New)->isEnabled());
    EXPECT_FALSE(frame.Action(Command::Save)->isEnabled());
    frame.UpdateCommands(); // as the File menu does when it opens meanwhile
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return !ctrl->IsBusy(); }, 10000));
    EXPECT_EQ(sink.messages, QStringList{QStringLiteral("不支持的文件类型！")});
    EXPECT_TRUE(frame.Action(Command::New)->isEnabled());
    EXPECT_TRUE(frame.Action(Command::Save)->isEnabled());
    EXPECT_TRUE(frame.Action(Command::Open)->isEnabled());
}

TEST_F(FrameSaving, NewAsksBeforeThrowingChangesAway)
{
    // Opened and unchanged: there is nothing to lose.
    ctrl->OpenAudioToNewTrack(Wav("a.wav"));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return ctrl->GetClipCount() == 1; }, 10000));
    frame.Action(Command::New)->trigger();
    EXPECT_TRUE(questions.asked.isEmpty());
    EXPECT_EQ(ctrl->GetTrackCount(), 0);

    Put(0, 0, 44100);
    Change();
    questions.answers = {Answer::Cancel};
    frame.Action(Command::New)->trigger();
    EXPECT_EQ(questions.asked, QStringList{CMainFrame::kSaveQuestion});
    EXPECT_EQ(ctrl->GetTrackCount(), 1);
    EXPECT_EQ(frame.History().GetUndoCount(), 1);

    // Save, but the save fails: the project stays.
    SaveTo(TestEnvironment::Home() + "/missing/mix");
    questions.answers = {Answer::Yes};
    frame.Action(Command::New)->trigger();
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_FALSE(finished.last().at(0).toBool());
    QCoreApplication::processEvents();
    EXPECT_EQ(ctrl->GetTrackCount(), 1);
    EXPECT_FALSE(sink.messages.isEmpty());

    // Only the selected part saved: the project is not in a file, New waits.
    ctrl->SetSelection(0, 500);
    SaveTo(TestEnvironment::Home() + "/part.wav", true);
    questions.answers = {Answer::Yes};
    frame.Action(Command::New)->trigger();
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(finished.last().at(0).toBool());
    QCoreApplication::processEvents();
    EXPECT_EQ(ctrl->GetTrackCount(), 1);
    EXPECT_EQ(frame.History().GetUndoCount(), 1);
    EXPECT_EQ(ReadWithPython(TestEnvironment::Home() + "/part.wav").frames, 22050);

    // Save, and it succeeds: New follows once the file is written.
    const QString out = TestEnvironment::Home() + "/mix";
    SaveTo(out);
    questions.answers = {Answer::Yes};
    frame.Action(Command::New)->trigger();
    EXPECT_EQ(ctrl->GetTrackCount(), 1) << "not before the save is done";
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(ctrl->GetTrackCount(), 0);
    EXPECT_EQ(frame.History().GetCount(), 0);
    EXPECT_EQ(ReadWithPython(out + ".wav").frames, 44100);

    // Discard.
    Put(0, 0, 4410);
    Change();
    questions.answers = {Answer::No};
    frame.Action(Command::New)->trigger();
    EXPECT_EQ(ctrl->GetTrackCount(), 0);
    EXPECT_EQ(questions.asked.size(), 5);
}

TEST_F(FrameSaving, ClosingAsksAndWaitsForTheSave)
{
    Put(0, 0, 4410);
    EXPECT_TRUE(frame.close()) << "nothing changed: no question";
    EXPECT_TRUE(questions.asked.isEmpty());

    frame.show();
    Change();
    questions.answers = {Answer::Cancel};
    EXPECT_FALSE(frame.close());
    EXPECT_TRUE(frame.isVisible());

    const QString out = TestEnvironment::Home() + "/closing.wav";
    SaveTo(out);
    questions.answers = {Answer::Yes};
    EXPECT_FALSE(frame.close());
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_FALSE(frame.isVisible()) << "closed once the file was written";
    EXPECT_TRUE(ReadWithPython(out).ok);

    // Closing while a save runs waits for it; the saved project closes unasked.
    frame.show();
    Change();
    ctrl->SetWorkerProgress(&gate);
    frame.Action(Command::Save)->trigger();
    ASSERT_TRUE(gate.WaitReached());
    EXPECT_FALSE(frame.close());
    EXPECT_TRUE(frame.isVisible());
    gate.Open();
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return !frame.isVisible(); }, 10000));
    EXPECT_EQ(questions.asked.size(), 2);

    frame.show();
    Change();
    questions.answers = {Answer::No};
    EXPECT_TRUE(frame.close());
}

TEST_F(FrameSaving, SaveDialogStartsWhereTheLastSaveWent)
{
    Put(0, 0, 4410);
    // What folder the real dialog shows; it is then cancelled.
    const auto dialogFolder = [&] {
        QString seen;
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto* dialog = qobject_cast<CWaveSaveDialog*>(QApplication::activeModalWidget())) {
                seen = dialog->directory().absolutePath();
                dialog->reject();
            }
        });
        poll.start();
        EXPECT_FALSE(ctrl->SaveAs());
        return seen;
    };
    EXPECT_EQ(dialogFolder(), QDir::homePath());

    const QString songs = TestEnvironment::Home() + "/songs";
    ASSERT_TRUE(QDir().mkpath(songs));
    SaveTo(songs + "/a");
    ASSERT_TRUE(ctrl->SaveAs());
    ASSERT_TRUE(finished.wait(10000));
    ctrl->SetSaveChooser(nullptr);
    EXPECT_EQ(dialogFolder(), songs);
}

TEST_F(FrameSaving, WhatASoloSilencesIsNotSaved)
{
    const CWaveDoc* heard = Put(0, 0, 4410);
    Put(1, 0, 4410);
    const QList<CControlPad*> pads = frame.ControlView()->PadContainer()->Pads();
    ASSERT_EQ(pads.size(), 2);
    PadTracks::Click(pads[0], &CPadToolbar::SoloAction);
    ASSERT_TRUE(ctrl->GetTrack(1)->IsMuted());

    const QString out = TestEnvironment::Home() + "/solo.wav";
    SaveTo(out);
    frame.Action(Command::Save)->trigger();
    ASSERT_TRUE(finished.wait(10000));
    const PythonWave wave = ReadWithPython(out);
    ASSERT_TRUE(wave.ok);
    EXPECT_EQ(wave.frames, 4410);
    EXPECT_TRUE(wave.samples == Bytes(*heard)) << "only the solo track";
}

} // namespace
