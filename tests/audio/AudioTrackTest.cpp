#include "audio/AudioTrack.h"
#include "audio/TrackClipboard.h"
#include "tests/support/ClipFixtures.h"

#include <QFile>

#include <gtest/gtest.h>

#include <vector>

namespace {

class FakePad : public ITrackPad
{
public:
    explicit FakePad(bool* destroyed) : m_destroyed(destroyed) {}
    ~FakePad() override { *m_destroyed = true; }
    void SetTrack(CAudioTrack* track) override { this->track = track; }
    void RefreshLogo(bool) override {}
    CAudioTrack* track = nullptr;

private:
    bool* m_destroyed;
};

// 100 ms clips at the given starts.
std::vector<CWaveDoc*> Fill(CAudioTrack& track, std::initializer_list<uint32_t> starts,
                            PlayerLog* log = nullptr)
{
    std::vector<CWaveDoc*> clips;
    for (uint32_t start : starts) {
        auto clip = IndexedClip(4410, log, start);
        clips.push_back(clip.get());
        track.AddClip(std::move(clip));
    }
    return clips;
}

std::vector<int> Indices(const CAudioTrack& track)
{
    std::vector<int> indices;
    for (int i = 0; i < track.GetClipCount(); ++i)
        indices.push_back(track.GetClip(i)->GetIndex());
    return indices;
}

TEST(AudioTrack, AddingNumbersAndInsertsClips)
{
    CAudioTrack track;
    auto clips = Fill(track, {0, 100, 200});
    EXPECT_EQ(Indices(track), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(clips[0]->GetOwnerTrack(), &track);

    auto fourth = IndexedClip(10);
    fourth->SetIndex(1);
    CWaveDoc* inserted = fourth.get();
    track.AddClip(std::move(fourth));
    EXPECT_EQ(track.GetClip(1), inserted);
    EXPECT_EQ(track.GetClip(2), clips[1]);
    EXPECT_EQ(Indices(track), (std::vector<int>{0, 1, 2, 3}));

    auto beyond = IndexedClip(10);
    beyond->SetIndex(9);
    track.AddClip(std::move(beyond));
    EXPECT_EQ(track.GetClip(4)->GetIndex(), 9) << "appended with its index kept";
}

TEST(AudioTrack, RemovingHandsTheClipBackStopped)
{
    PlayerLog log;
    CAudioTrack track;
    auto clips = Fill(track, {0, 100, 200}, &log);
    clips[1]->Play();
    auto removed = track.RemoveClip(clips[1]);
    ASSERT_EQ(removed.get(), clips[1]);
    EXPECT_FALSE(removed->IsPlaying());
    EXPECT_EQ(Indices(track), (std::vector<int>{0, 1}));
    EXPECT_EQ(track.RemoveClip(clips[1]), nullptr) << "not in the track any more";
}

TEST(AudioTrack, LengthAndLookups)
{
    CAudioTrack track;
    EXPECT_EQ(track.GetLength(), 0u);
    EXPECT_EQ(track.ClipAt(0), nullptr);

    auto clips = Fill(track, {100, 0, 500});
    EXPECT_EQ(track.GetLength(), 600u);
    // 0..100 and 100..200 touch at 100: the first in list order wins.
    EXPECT_EQ(track.ClipAt(100), clips[0]);
    EXPECT_EQ(track.ClipAt(99), clips[1]);
    EXPECT_EQ(track.ClipAt(600), clips[2]) << "a clip's end time still belongs to it";
    EXPECT_EQ(track.ClipAt(601), nullptr);
    EXPECT_EQ(track.ClipAt(300), nullptr);
    EXPECT_TRUE(track.HasClipInRange(250, 501));
    EXPECT_FALSE(track.HasClipInRange(200, 500));

    clips[2]->SetSelected(true);
    clips[0]->SetSelected(true);
    EXPECT_EQ(track.GetSelectedClip(), clips[0]);
    track.DeselectAll();
    EXPECT_EQ(track.GetSelectedClip(), nullptr);
}

TEST(AudioTrack, MuteAndVolumeReachEveryClip)
{
    PlayerLog log;
    CAudioTrack track;
    Fill(track, {0, 100}, &log);
    track.SetMute(true);
    EXPECT_TRUE(track.IsMuted());
    EXPECT_TRUE(log.lastMute);
    track.SetVolume(-2500);
    EXPECT_EQ(log.lastVolume, -2500);
}

TEST(AudioTrack, PadKnowsItsTrackAndGoesWithIt)
{
    bool destroyed = false;
    auto pad = std::make_unique<FakePad>(&destroyed);
    FakePad* raw = pad.get();
    {
        CAudioTrack track(std::move(pad));
        EXPECT_EQ(raw->track, &track);
        EXPECT_EQ(track.GetControlPad(), raw);
    }
    EXPECT_TRUE(destroyed);
}

TEST(TrackClipboard, HoldsTracksUntilEmptied)
{
    CTrackClipboard clipboard;
    EXPECT_FALSE(clipboard.HasTracks());
    auto track = std::make_unique<CAudioTrack>();
    const QString store = [&] {
        auto clip = IndexedClip(10);
        QString path = clip->GetStore()->GetPath();
        track->AddClip(std::move(clip));
        return path;
    }();
    CAudioTrack* raw = track.get();
    clipboard.Add(std::move(track));
    EXPECT_EQ(clipboard.GetCount(), 1);
    EXPECT_EQ(clipboard.GetAt(0), raw);
    EXPECT_EQ(clipboard.GetAt(-1), nullptr);
    EXPECT_EQ(clipboard.GetAt(1), nullptr);
    clipboard.RemoveAll();
    EXPECT_FALSE(clipboard.HasTracks());
    EXPECT_FALSE(QFile::exists(store)) << "the tracks' clips and their stores are gone";
}

} // namespace
