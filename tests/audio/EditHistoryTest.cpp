#include "audio/CombEdit.h"
#include "audio/EditHistory.h"
#include "audio/ITimelineHost.h"
#include "audio/TrackAddEdit.h"
#include "audio/TrackDeleteEdit.h"
#include "audio/WaveAddEdit.h"
#include "audio/WaveMoveEdit.h"
#include "audio/WaveRemoveEdit.h"
#include "tests/support/ClipFixtures.h"

#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// A timeline that only keeps tracks in order.
class FakeTimeline : public ITimelineHost
{
public:
    void InsertTrack(std::unique_ptr<CAudioTrack> track) override
    {
        const int index = std::clamp(track->GetIndex(), 0, static_cast<int>(tracks.size()));
        tracks.insert(tracks.begin() + index, std::move(track));
    }
    std::unique_ptr<CAudioTrack> RemoveTrack(CAudioTrack* track) override
    {
        auto it = std::find_if(tracks.begin(), tracks.end(),
                               [track](const auto& held) { return held.get() == track; });
        if (it == tracks.end())
            return nullptr;
        auto taken = std::move(*it);
        tracks.erase(it);
        return taken;
    }
    void StopPlayback() override { ++stops; }
    int RebuildPlayList() override { return ++rebuilds; }

    std::vector<std::unique_ptr<CAudioTrack>> tracks;
    int stops = 0;
    int rebuilds = 0;
};

// Counts the tracks that were destroyed, through their pads.
class CountingPad : public ITrackPad
{
public:
    explicit CountingPad(int& deleted) : m_deleted(deleted) {}
    ~CountingPad() override { ++m_deleted; }
    void SetTrack(CAudioTrack*) override {}
    void RefreshLogo(bool) override {}

private:
    int& m_deleted;
};

struct History : testing::Test
{
    CAudioTrack* NewTrack()
    {
        auto track = std::make_unique<CAudioTrack>(std::make_unique<CountingPad>(tracksDeleted));
        track->SetIndex(static_cast<int>(timeline.tracks.size()));
        timeline.tracks.push_back(std::move(track));
        return timeline.tracks.back().get();
    }
    // A clip on the track; its store file tells whether it still lives.
    CWaveDoc* NewClip(CAudioTrack* track, QString* storePath)
    {
        auto clip = IndexedClip(441);
        *storePath = clip->GetStore()->GetPath();
        CWaveDoc* raw = clip.get();
        track->AddClip(std::move(clip));
        return raw;
    }
    template <typename Record> std::unique_ptr<Record> Owned(std::unique_ptr<Record> record)
    {
        record->SetOwner(&timeline);
        return record;
    }

    FakeTimeline timeline;
    EditHistory history;
    int tracksDeleted = 0;
};

TEST_F(History, AddingCutsTheRedoTail)
{
    // Three deleted clips; undoing two puts them back; a fourth record then
    // discards the two undone deletions without deleting their clips.
    CAudioTrack* track = NewTrack();
    QString paths[4];
    CWaveDoc* clips[4];
    for (int i = 0; i < 4; ++i)
        clips[i] = NewClip(track, &paths[i]);
    std::vector<CEditRecord*> records;
    for (int i = 0; i < 3; ++i) {
        auto record = Owned(std::make_unique<CWaveRemoveEdit>(track->RemoveClip(clips[i])));
        records.push_back(record.get());
        history.Add(std::move(record));
    }
    EXPECT_EQ(history.Undo(), 1);
    EXPECT_EQ(history.Undo(), 1);
    EXPECT_EQ(track->GetClipCount(), 3);
    EXPECT_EQ(history.GetUndoEdit(0), records[0]);
    EXPECT_EQ(history.GetRedoEdit(1), records[2]);
    EXPECT_EQ(history.GetRedoEdit(2), nullptr);

    // A move has nothing to delete.
    history.Add(std::make_unique<CWaveMoveEdit>(clips[3], 500, 0));
    EXPECT_EQ(history.GetCount(), 2);
    EXPECT_EQ(history.GetUndoCount(), 2);
    EXPECT_FALSE(history.CanRedo());
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(QFile::exists(paths[i])) << "clip " << i;
    EXPECT_EQ(track->GetClipCount(), 3) << "the first clip is held by its record";

    history.Clear();
    EXPECT_FALSE(QFile::exists(paths[0]));
    EXPECT_EQ(track->GetClipCount(), 3);
    EXPECT_TRUE(QFile::exists(paths[3]));
}

TEST_F(History, CleanMarkFollowsTheStateNotTheCount)
{
    CWaveDoc clip;
    const auto move = [&] { history.Add(std::make_unique<CWaveMoveEdit>(&clip, 10, 0)); };
    EXPECT_TRUE(history.IsClean()) << "a new project has nothing to save";
    move();
    EXPECT_FALSE(history.IsClean());
    history.MarkClean(); // saved here
    move();
    EXPECT_FALSE(history.IsClean());
    history.Undo();
    EXPECT_TRUE(history.IsClean()) << "undone back to what was saved";
    history.Undo();
    EXPECT_FALSE(history.IsClean());
    history.Redo();
    EXPECT_TRUE(history.IsClean());
    // An edit made after undoing the saved step discards it: no state is
    // the saved one any more.
    history.Undo();
    move();
    EXPECT_FALSE(history.IsClean());
    history.Undo();
    EXPECT_FALSE(history.IsClean());
    history.Clear();
    EXPECT_TRUE(history.IsClean());
}

TEST_F(History, UndoAndRedoAtTheEndsDoNothing)
{
    EXPECT_EQ(history.Undo(), 0);
    EXPECT_EQ(history.Redo(), 0);
    CAudioTrack* track = NewTrack();
    history.Add(Owned(std::make_unique<CTrackAddEdit>(track)));
    EXPECT_EQ(history.Redo(), 0);
    EXPECT_EQ(history.GetRedoCount(), 0);
    EXPECT_EQ(history.Undo(), 1);
    EXPECT_TRUE(timeline.tracks.empty());
    EXPECT_EQ(history.Undo(), 0);
    EXPECT_EQ(history.Redo(), 1);
    EXPECT_EQ(timeline.tracks.size(), 1u);
}

TEST_F(History, CompositeUndoesLastFirst)
{
    CAudioTrack* track = NewTrack();
    QString pathA, pathB;
    CWaveDoc* a = NewClip(track, &pathA);
    CWaveDoc* b = NewClip(track, &pathB);
    auto comb = std::make_unique<CCombEdit>();
    comb->AddEdit(Owned(std::make_unique<CWaveRemoveEdit>(track->RemoveClip(a))));
    comb->AddEdit(Owned(std::make_unique<CWaveRemoveEdit>(track->RemoveClip(b))));
    history.Add(std::move(comb));
    ASSERT_EQ(track->GetClipCount(), 0);

    history.Undo();
    ASSERT_EQ(track->GetClipCount(), 2);
    EXPECT_EQ(track->GetClip(0), a) << "b went back first at its index 0, then a before it";
    EXPECT_EQ(track->GetClip(1), b);
    history.Redo();
    EXPECT_EQ(track->GetClipCount(), 0);
    history.Clear();
    EXPECT_FALSE(QFile::exists(pathA));
    EXPECT_FALSE(QFile::exists(pathB));
}

TEST_F(History, DeletedTrackIsFreedOnlyWhileTheRecordHoldsIt)
{
    CAudioTrack* kept = NewTrack();
    CAudioTrack* gone = NewTrack();
    history.Add(Owned(std::make_unique<CTrackDeleteEdit>(timeline.RemoveTrack(gone))));
    history.Add(Owned(std::make_unique<CTrackDeleteEdit>(timeline.RemoveTrack(kept))));
    history.Undo(); // "kept" is back in the timeline
    history.Clear();
    EXPECT_EQ(tracksDeleted, 1);
    ASSERT_EQ(timeline.tracks.size(), 1u);
    EXPECT_EQ(timeline.tracks[0].get(), kept);
}

TEST_F(History, ClipRecordsFailWithoutTheirTimeline)
{
    CAudioTrack* track = NewTrack();
    QString path;
    CWaveDoc* clip = NewClip(track, &path);
    CWaveAddEdit add(clip); // no owner set
    EXPECT_EQ(add.Undo(), 0);
    EXPECT_EQ(track->GetClipCount(), 1);

    add.SetOwner(&timeline);
    EXPECT_EQ(add.Undo(), 1);
    EXPECT_EQ(add.Undo(), 0) << "already out";
    EXPECT_TRUE(add.IsDetached());
    EXPECT_EQ(add.Redo(), 1);
    EXPECT_EQ(track->GetClip(0), clip);
    EXPECT_GE(timeline.rebuilds, 2);
}

} // namespace
