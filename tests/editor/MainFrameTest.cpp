#include "editor/ControlPadContainer.h"
#include "editor/ControlView.h"
#include "editor/EditorView.h"
#include "editor/MainFrame.h"
#include "editor/WaveCtrl.h"
#include "tests/support/ClipFixtures.h"
#include "tests/support/ScriptedQuestions.h"

#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Command = CMainFrame::Command;

TEST(MainFrameCommands, EnableTable)
{
    struct Case
    {
        const char* name;
        CMainFrame::EditorState state;
        std::map<Command, bool> expected;
    };
    CMainFrame::EditorState empty;
    CMainFrame::EditorState selectedClip;
    selectedClip.hasAudio = selectedClip.canCopy = true;
    CMainFrame::EditorState selection = selectedClip;
    selection.selectionHasAudio = true;
    CMainFrame::EditorState clipboard;
    clipboard.clipboardHasTracks = true;
    CMainFrame::EditorState busy = selection;
    busy.canUndo = busy.clipboardHasTracks = busy.busy = true;
    const Case cases[] = {
        {"empty",
         empty,
         {{Command::Save, false},
          {Command::Undo, false},
          {Command::Cut, false},
          {Command::Copy, false},
          {Command::Paste, false},
          {Command::Delete, false},
          {Command::Trim, false},
          {Command::Upload, false},
          {Command::New, true}}},
        {"selected clip",
         selectedClip,
         {{Command::Cut, true},
          {Command::Copy, true},
          {Command::Delete, true},
          {Command::Trim, false},
          {Command::Save, true}}},
        {"selection with audio", selection, {{Command::Trim, true}, {Command::Cut, true}}},
        {"clipboard holds tracks", clipboard, {{Command::Paste, true}, {Command::Copy, false}}},
        {"busy",
         busy,
         {{Command::Cut, false},
          {Command::Paste, false},
          {Command::Undo, false},
          {Command::Trim, false},
          {Command::New, false},
          {Command::Copy, true}}},
    };
    for (const Case& c : cases) {
        const auto enabled = CMainFrame::EnabledCommands(c.state);
        for (const auto& [command, expected] : c.expected)
            EXPECT_EQ(enabled.at(command), expected)
                << c.name << ", command " << static_cast<int>(command);
    }
}

struct Frame : testing::Test
{
    Frame()
    {
        frame.resize(1000, 700);
        frame.show();
        QCoreApplication::processEvents();
    }
    CWaveDoc* Put(int trackIndex, uint32_t startMs, uint32_t lengthMs)
    {
        CWaveCtrl* ctrl = frame.WaveCtrl();
        while (ctrl->GetTrackCount() <= trackIndex)
            ctrl->AddNewTrack();
        auto clip = IndexedClip(lengthMs * 441 / 10, nullptr, startMs);
        CWaveDoc* raw = clip.get();
        ctrl->GetTrack(trackIndex)->AddClip(std::move(clip));
        ctrl->RebuildPlayList();
        frame.UpdateCommands();
        return raw;
    }
    CMainFrame frame;
};

TEST_F(Frame, PanesStartAtTheirSizesAndHeightGoesToTheTopRow)
{
    EXPECT_EQ(frame.InnerSplitter()->sizes().at(0), CMainFrame::kPadColumnWidth);
    EXPECT_EQ(frame.OuterSplitter()->sizes().at(1), CMainFrame::kResourcePaneHeight);
    const int top = frame.OuterSplitter()->sizes().at(0);
    frame.resize(1000, 800);
    QCoreApplication::processEvents();
    EXPECT_EQ(frame.OuterSplitter()->sizes().at(1), CMainFrame::kResourcePaneHeight);
    EXPECT_EQ(frame.OuterSplitter()->sizes().at(0), top + 100);
}

TEST_F(Frame, UndoListUndoesTheChosenNumberOfSteps)
{
    EXPECT_TRUE(frame.UndoNames().isEmpty());
    EXPECT_FALSE(frame.Action(Command::Undo)->isEnabled());
    CWaveCtrl* ctrl = frame.WaveCtrl();
    Put(0, 0, 1000);
    for (uint32_t at : {100u, 300u, 500u, 700u}) {
        ctrl->SetSelection(at, at + 50);
        ctrl->DeleteSelection(false);
    }
    frame.UpdateCommands();
    EXPECT_TRUE(frame.Action(Command::Undo)->isEnabled());
    ASSERT_EQ(frame.UndoNames().size(), 4);
    EXPECT_FALSE(frame.OnUndoSteps(4)) << "out of range";
    EXPECT_TRUE(frame.OnUndoSteps(2)); // the third item: three edits
    EXPECT_EQ(frame.History().GetUndoCount(), 1);
    EXPECT_EQ(ctrl->GetTrack(0)->GetClipCount(), 2) << "only the first cut remains";
    EXPECT_EQ(frame.RedoNames().size(), 3);
    EXPECT_TRUE(frame.OnRedoSteps(0));
    EXPECT_EQ(ctrl->GetTrack(0)->GetClipCount(), 3);
}

TEST_F(Frame, IdleTextReturnsAfterEveryPrompt)
{
    EXPECT_EQ(frame.statusBar()->currentMessage(), QStringLiteral("就绪"));
    for (int round = 0; round < 2; ++round) {
        // What a menu does while the pointer passes over "打开" and leaves it.
        frame.Action(Command::Open)->showStatusText(frame.menuBar());
        EXPECT_EQ(frame.statusBar()->currentMessage(), QStringLiteral("打开音频文件"));
        QStatusTipEvent leave{QString()};
        QCoreApplication::sendEvent(frame.menuBar(), &leave);
        EXPECT_EQ(frame.statusBar()->currentMessage(), QStringLiteral("就绪")) << round;
    }
}

// Without an X server there are no lights to read: the three lock panes
// are there, right of the message, and stay empty.
TEST_F(Frame, LockPanesStayEmptyWithoutX11)
{
    ASSERT_NE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    frame.show();
    QCoreApplication::processEvents();
    int left = 0;
    for (const char* name : {"capsLockPane", "numLockPane", "scrollLockPane"}) {
        auto* pane = frame.statusBar()->findChild<QLabel*>(QLatin1String(name));
        ASSERT_NE(pane, nullptr) << name;
        EXPECT_TRUE(pane->isVisible()) << name;
        EXPECT_EQ(pane->text(), QString()) << name;
        // In order, each wide enough for its text ("SCRL" the widest).
        EXPECT_GT(pane->x(), left) << name;
        EXPECT_GE(pane->width(), pane->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")))
            << name;
        left = pane->x();
    }
}

TEST_F(Frame, NewEmptiesTheProjectButKeepsTheClipboard)
{
    CWaveCtrl* ctrl = frame.WaveCtrl();
    Put(0, 0, 1000);
    Put(1, 0, 1000);
    ctrl->SetSelection(100, 200);
    ctrl->CopySelection();
    ctrl->DeleteSelection(false);
    ScriptedQuestions discard;
    discard.answers = {IQuestionBox::Answer::No};
    frame.SetQuestionBox(&discard);
    frame.Action(Command::New)->trigger();
    EXPECT_EQ(ctrl->GetTrackCount(), 0);
    EXPECT_EQ(frame.History().GetCount(), 0);
    EXPECT_FALSE(frame.Action(Command::Undo)->isEnabled());
    EXPECT_FALSE(frame.Action(Command::Redo)->isEnabled());
    EXPECT_TRUE(frame.Action(Command::Paste)->isEnabled());
    EXPECT_TRUE(frame.ControlView()->PadContainer()->Pads().isEmpty());
    frame.Action(Command::Paste)->trigger();
    EXPECT_EQ(ctrl->GetTrackCount(), 2) << "the copies come back on new tracks";
}

TEST_F(Frame, ShowsTwoTracks)
{
    CWaveCtrl* ctrl = frame.WaveCtrl();
    for (int track = 0; track < 2; ++track) {
        CWaveDoc* clip = Put(track, track * 3000, 8000);
        CMappedView samples = clip->GetStore()->MapView(0, clip->GetDataSize());
        auto* s = reinterpret_cast<int16_t*>(samples.data());
        for (uint32_t i = 0; i < clip->GetDataSize() / 4; ++i)
            s[2 * i] = s[2 * i + 1] = static_cast<int16_t>(
                14000 * std::sin(i * 0.01) * std::fabs(std::sin(i * 0.00015 + track)));
    }
    ctrl->SelectTrack(ctrl->GetTrack(0));
    ctrl->SetSelection(2000, 6000);
    emit ctrl->selectionChanged();
    QCoreApplication::processEvents();
    const QImage image = frame.grab().toImage();
    if (qEnvironmentVariableIsSet("ZUVO_SCREENSHOT_DIR"))
        image.save(qEnvironmentVariable("ZUVO_SCREENSHOT_DIR") + "/brevanta-frame.png");
    EXPECT_TRUE(frame.Action(Command::Trim)->isEnabled());
    EXPECT_EQ(frame.ControlView()->PadContainer()->Pads().size(), 2);
}

} // namespace
