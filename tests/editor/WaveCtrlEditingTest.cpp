#include "audio/EditHistory.h"
#include "audio/TrackClipboard.h"
#include "editor/WaveCtrl.h"
#include "tests/support/ClipFixtures.h"

#include <QAction>
#include <QCryptographicHash>
#include <QMenu>

#include <gtest/gtest.h>

namespace {

QByteArray Digest(const CWaveDoc& clip)
{
    CMappedView view = clip.GetStore()->MapView(0, clip.GetDataSize());
    return QCryptographicHash::hash(
               QByteArrayView(reinterpret_cast<const char*>(view.data()), view.size()),
               QCryptographicHash::Md5)
        .toHex();
}

struct Editing : testing::Test
{
    Editing()
    {
        ctrl.resize(800, 400);
        ctrl.SetEditContext(&history, &clipboard);
    }
    ~Editing() override
    {
        // The clipboard and history go before the window, as in the program.
        clipboard.RemoveAll();
        history.Clear();
    }

    // A clip of lengthMs whose frames count from 0, on the given track.
    CWaveDoc* Put(int trackIndex, uint32_t startMs, uint32_t lengthMs)
    {
        while (ctrl.GetTrackCount() <= trackIndex)
            ctrl.AddNewTrack();
        auto clip = IndexedClip(lengthMs * 441 / 10, nullptr, startMs);
        CWaveDoc* raw = clip.get();
        ctrl.GetTrack(trackIndex)->AddClip(std::move(clip));
        ctrl.RebuildPlayList();
        return raw;
    }

    EditHistory history;
    CTrackClipboard clipboard;
    CWaveCtrl ctrl;
};

TEST_F(Editing, MiddleCutLeavesHeadAndTailAndUndoRestores)
{
    CWaveDoc* clip = Put(0, 1000, 1000);
    const QByteArray before = Digest(*clip);
    ctrl.SetSelection(1200, 1500);
    ctrl.DeleteSelection(false);

    CAudioTrack* track = ctrl.GetTrack(0);
    ASSERT_EQ(track->GetClipCount(), 2);
    const CWaveDoc* head = track->GetClip(0);
    const CWaveDoc* tail = track->GetClip(1);
    EXPECT_EQ(head->GetStart(), 1000u);
    EXPECT_EQ(head->GetDuration(), 200u);
    EXPECT_EQ(FrameAt(*head, head->GetDataSize() - 4), 8819u);
    EXPECT_EQ(tail->GetStart(), 1500u);
    EXPECT_EQ(tail->GetDuration(), 500u);
    EXPECT_EQ(FrameAt(*tail, 0), 22050u) << "the tail starts exactly at 500 ms";
    ASSERT_EQ(history.GetUndoCount(), 1);
    EXPECT_EQ(history.GetUndoEdit(0)->GetName(), QStringLiteral("删除音频"));

    ASSERT_EQ(history.Undo(), 1);
    ASSERT_EQ(track->GetClipCount(), 1);
    EXPECT_EQ(track->GetClip(0), clip);
    EXPECT_EQ(Digest(*clip), before);
    ASSERT_EQ(history.Redo(), 1);
    EXPECT_EQ(track->GetClipCount(), 2);
    EXPECT_EQ(FrameAt(*track->GetClip(1), 0), 22050u);
}

TEST_F(Editing, HeadAndTailCutsAndWholeClips)
{
    CWaveDoc* a = Put(0, 0, 1000);
    Put(1, 500, 1000);
    ctrl.SetSelection(0, 600); // head of track 0, tail... head of track 1 too
    ctrl.CutSelection();
    EXPECT_EQ(history.GetUndoEdit(0)->GetName(), QStringLiteral("音频剪切"));
    ASSERT_EQ(ctrl.GetTrack(0)->GetClipCount(), 1);
    EXPECT_EQ(ctrl.GetTrack(0)->GetClip(0)->GetStart(), 600u);
    EXPECT_EQ(FrameAt(*ctrl.GetTrack(0)->GetClip(0), 0), 26460u);
    EXPECT_EQ(ctrl.GetTrack(1)->GetClip(0)->GetStart(), 600u);
    EXPECT_EQ(clipboard.GetCount(), 2);
    history.Undo();
    EXPECT_EQ(ctrl.GetTrack(0)->GetClip(0), a);

    // A selection covering a whole clip removes it in one piece.
    ctrl.SetSelection(0, 5000);
    ctrl.DeleteSelection(false);
    EXPECT_EQ(ctrl.GetClipCount(), 0);
    EXPECT_FALSE(ctrl.HasAudio());
}

TEST_F(Editing, TrimKeepsTheSelectionAndRecordsOnlyChanges)
{
    Put(0, 0, 1000);
    CWaveDoc* whole = Put(1, 2000, 500);
    ctrl.SetSelection(1000, 3000); // covers track 1's clip entirely, misses track 0's
    ctrl.TrimSelection();
    EXPECT_EQ(history.GetCount(), 0) << "an empty composite is not added";
    EXPECT_EQ(ctrl.GetTrack(1)->GetClip(0), whole);

    ctrl.SetSelection(100, 2200);
    ctrl.TrimSelection();
    ASSERT_EQ(history.GetCount(), 1);
    EXPECT_EQ(history.GetUndoEdit(0)->GetName(), QStringLiteral("修剪音频"));
    const CWaveDoc* kept0 = ctrl.GetTrack(0)->GetClip(0);
    EXPECT_EQ(kept0->GetStart(), 100u);
    EXPECT_EQ(kept0->GetDuration(), 900u);
    EXPECT_EQ(FrameAt(*kept0, 0), 4410u);
    EXPECT_EQ(ctrl.GetTrack(1)->GetClip(0)->GetDuration(), 200u);
}

TEST_F(Editing, CopyFromTracksOneAndThreePastesOnZeroAndTwo)
{
    Put(1, 1000, 1000);
    Put(3, 1500, 1000);
    ctrl.SetSelection(1200, 2000);
    ctrl.CopySelection();
    ASSERT_EQ(clipboard.GetCount(), 2);
    EXPECT_EQ(clipboard.GetAt(1)->GetClip(0)->GetStart(), 300u) << "offset from the selection";

    std::unique_ptr<CAudioTrack> removed = ctrl.RemoveTrack(ctrl.GetTrack(3));
    ctrl.SelectTrack(ctrl.GetTrack(0));
    ctrl.SetEditCursor(10000);
    ctrl.Paste(); // tracks 0..2 exist: pieces go to 0 and 2
    ASSERT_EQ(ctrl.GetTrackCount(), 3);
    ASSERT_EQ(ctrl.GetTrack(0)->GetClipCount(), 1);
    EXPECT_EQ(ctrl.GetTrack(0)->GetClip(0)->GetStart(), 10000u);
    EXPECT_EQ(FrameAt(*ctrl.GetTrack(0)->GetClip(0), 0), 8820u);
    ASSERT_EQ(ctrl.GetTrack(2)->GetClipCount(), 1);
    EXPECT_EQ(ctrl.GetTrack(2)->GetClip(0)->GetStart(), 10300u);

    ctrl.SelectTrack(ctrl.GetTrack(2));
    ctrl.Paste(); // from track 2 the second piece needs track 4: a new last track
    EXPECT_EQ(ctrl.GetTrackCount(), 4);
    EXPECT_EQ(ctrl.GetTrack(3)->GetClipCount(), 1);
    EXPECT_EQ(history.GetUndoEdit(0)->GetName(), QStringLiteral("音频粘贴"));
    history.Undo();
    EXPECT_EQ(ctrl.GetTrackCount(), 3) << "undo removes the tracks the paste made";
}

TEST_F(Editing, ClipMenuCutOutsideTheSelectionTakesTheWholeClip)
{
    ctrl.show();
    Put(0, 0, 10000);
    ctrl.SetSelection(5000, 6000);
    std::unique_ptr<QMenu> menu = ctrl.PrepareContextMenu(10, 90); // 1000 ms: outside
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->title(), QStringLiteral("音频编辑"));
    ctrl.OnCutClip();
    EXPECT_EQ(ctrl.GetClipCount(), 0);
    EXPECT_EQ(history.GetUndoEdit(0)->GetName(), QStringLiteral("音频剪切"));
    EXPECT_EQ(clipboard.GetCount(), 1);
    EXPECT_EQ(clipboard.GetAt(0)->GetClip(0)->GetDuration(), 10000u);
}

TEST_F(Editing, MenusGreyWhatCannotBeDone)
{
    ctrl.show();
    Put(0, 0, 1000);
    const auto enabled = [](QMenu& menu, const QString& text) {
        for (QAction* action : menu.actions()) {
            if (action->text() == text)
                return action->isEnabled();
        }
        ADD_FAILURE() << "no item " << text;
        return false;
    };
    auto onTrack = ctrl.PrepareContextMenu(500, 90); // 50 s: the track outside its clip
    ASSERT_TRUE(onTrack);
    EXPECT_EQ(onTrack->title(), QStringLiteral("音轨编辑"));
    EXPECT_FALSE(enabled(*onTrack, QStringLiteral("粘贴"))) << "clipboard empty";
    EXPECT_TRUE(enabled(*onTrack, QStringLiteral("删除音轨")));
    EXPECT_EQ(ctrl.GetOpenTargetTrack(), ctrl.GetTrack(0));

    ctrl.SetBusy(true);
    onTrack = ctrl.PrepareContextMenu(500, 90);
    EXPECT_FALSE(enabled(*onTrack, QStringLiteral("打开音频到当前音轨")));
    EXPECT_FALSE(enabled(*onTrack, QStringLiteral("删除音轨"))) << "the open target stays";
    ctrl.SetBusy(false);

    auto below = ctrl.PrepareContextMenu(100, 300);
    ASSERT_TRUE(below);
    EXPECT_TRUE(enabled(*below, QStringLiteral("插入音轨")));
    EXPECT_EQ(ctrl.GetOpenTargetTrack(), nullptr);
    EXPECT_FALSE(ctrl.PrepareContextMenu(100, 30)) << "no menu on the ruler";
}

TEST_F(Editing, TrackCommandsAreUndoable)
{
    ctrl.show();
    ctrl.OnInsertTrack();
    ASSERT_EQ(ctrl.GetTrackCount(), 1);
    EXPECT_EQ(ctrl.GetSelectedTrack(), ctrl.GetTrack(0));
    Put(0, 0, 100);
    ctrl.PrepareContextMenu(500, 90);
    ctrl.OnDeleteTrack();
    EXPECT_EQ(ctrl.GetTrackCount(), 0);
    history.Undo();
    ASSERT_EQ(ctrl.GetTrackCount(), 1);
    EXPECT_EQ(ctrl.GetTrack(0)->GetClipCount(), 1);
    history.Undo();
    EXPECT_EQ(ctrl.GetTrackCount(), 0);
}

} // namespace
