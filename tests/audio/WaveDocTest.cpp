#include "audio/WaveDoc.h"
#include "tests/support/ClipFixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

TEST(WaveDoc, NewClipIsEmpty)
{
    CWaveDoc clip;
    EXPECT_EQ(clip.GetDataSize(), 0u);
    EXPECT_FALSE(clip.HasData());
    EXPECT_EQ(clip.GetIndex(), -1);
    EXPECT_EQ(clip.GetOwnerTrack(), nullptr);
    char buffer[4];
    uint32_t got = 99;
    EXPECT_EQ(clip.Read(buffer, 4, &got), kNotInitialized);
    EXPECT_EQ(got, 99u) << "a clip without samples touches nothing";
    EXPECT_EQ(clip.PlayAt(0), 0);
}

TEST(WaveDoc, FormatCopiesAndTimeArithmetic)
{
    CWaveDoc clip;
    clip.SetFormat(kProjectFormat);
    EXPECT_EQ(static_cast<const WaveFormat&>(clip.GetPlaybackFormat()), kProjectFormat);
    EXPECT_EQ(clip.GetPlaybackFormat().extraSize, 18);
    EXPECT_EQ(clip.MsToBytes(1), 176u);
    EXPECT_EQ(clip.MsToBytes(1000), 176400u);
    ASSERT_TRUE(clip.CreateStore(176400));
    EXPECT_EQ(clip.GetDuration(), 1000u);

    // Ten minutes of project audio overflows 32-bit intermediates.
    ASSERT_TRUE(clip.CreateStore(176400u * 600));
    EXPECT_EQ(clip.GetDuration(), 600000u);
    EXPECT_EQ(clip.MsToBytes(600000), 176400u * 600);

    CWaveDoc mono8;
    mono8.SetFormat(MakePcmFormat(1, 8000, 8));
    EXPECT_EQ(mono8.MsToBytes(3), 24u);

    // At 1 byte a second, 5 MB last longer than 32 bits of milliseconds:
    // the duration stays at the longest instead of wrapping to a short one.
    CWaveDoc slow;
    slow.SetFormat(MakePcmFormat(1, 1, 8));
    ASSERT_TRUE(slow.CreateStore(5000000));
    EXPECT_EQ(slow.GetDuration(), UINT32_MAX);
    EXPECT_EQ(slow.MsToBytes(UINT32_MAX), 4294967u);
}

TEST(WaveDoc, DurationFollowsRecordedBytesWhileRecording)
{
    auto clip = IndexedClip(44100);
    clip->SetRecording(true);
    EXPECT_FALSE(clip->HasData());
    clip->SetRecordedBytes(17640);
    EXPECT_TRUE(clip->HasData());
    EXPECT_EQ(clip->GetDuration(), 100u);
    clip->SetRecording(false);
    EXPECT_EQ(clip->GetDuration(), 1000u);
}

TEST(WaveDoc, ReadStopsAtTheEnd)
{
    auto clip = IndexedClip(10);
    std::vector<uint8_t> buffer(64, 0xEE);
    uint32_t got = 0;
    clip->SetReadPosition(32);
    EXPECT_EQ(clip->Read(buffer.data(), 64, &got), 0);
    EXPECT_EQ(got, 8u) << "only what is left";
    uint32_t first = 0;
    std::memcpy(&first, buffer.data(), 4);
    EXPECT_EQ(first, 8u);
    EXPECT_EQ(buffer[8], 0xEE);
    EXPECT_EQ(clip->GetReadPosition(), 40u);

    EXPECT_EQ(clip->Read(buffer.data(), 64, &got), 0);
    EXPECT_EQ(got, 0u) << "at the end";
    clip->SetReadPosition(1000);
    EXPECT_EQ(clip->Read(buffer.data(), 64, &got), 0);
    EXPECT_EQ(got, 0u) << "past the end";
    EXPECT_EQ(clip->GetReadPosition(), 1000u);
}

TEST(WaveDoc, PlayAtChecksTheClipsBounds)
{
    PlayerLog log;
    auto clip = IndexedClip(44100, &log); // 1000 ms
    clip->SetStart(500);

    EXPECT_EQ(clip->PlayAt(499), 0);
    EXPECT_EQ(clip->PlayAt(1501), 0);
    EXPECT_EQ(log.plays, 0);

    EXPECT_EQ(clip->PlayAt(500), 1);
    EXPECT_EQ(log.readPositionAtPlay, 0u);
    EXPECT_TRUE(clip->IsPlaying());
    EXPECT_EQ(clip->PlayAt(510), 1);
    EXPECT_EQ(log.readPositionAtPlay, 1764u);
    EXPECT_EQ(log.creates, 2) << "the output is prepared before every start";
    EXPECT_EQ(clip->PlayAt(1500), 1) << "the very end still starts (and plays nothing)";

    clip->StopPlayback();
    EXPECT_FALSE(clip->IsPlaying());
}

TEST(WaveDoc, FreeingTheStoreStopsThePlayerFirst)
{
    PlayerLog log;
    auto clip = IndexedClip(100, &log);
    clip->Play();
    const int stopsBefore = log.stops;
    clip->SetReadPosition(40);
    clip->FreeStore();
    EXPECT_EQ(log.stops, stopsBefore + 1);
    EXPECT_EQ(clip->GetReadPosition(), 0u);
    EXPECT_FALSE(clip->HasData());
}

TEST(WaveDoc, CopyRangeBounds)
{
    PlayerLog log;
    auto clip = IndexedClip(44100, &log); // exactly 1000 ms
    clip->SetRecordedClip(true);
    clip->SetStart(3000);

    EXPECT_EQ(clip->CopyRange(10, 10), nullptr);
    EXPECT_EQ(clip->CopyRange(20, 10), nullptr);
    EXPECT_EQ(clip->CopyRange(0, 1001), nullptr);

    auto tail = clip->CopyRange(10, 1000);
    ASSERT_NE(tail, nullptr);
    EXPECT_EQ(tail->GetStart(), 0u);
    EXPECT_TRUE(tail->IsRecordedClip());
    EXPECT_EQ(tail->GetFormat(), kProjectFormat);
    EXPECT_EQ(tail->GetDataSize(), 176400u - 1764u);
    EXPECT_EQ(FrameAt(*tail, 0), 441u);
    EXPECT_EQ(FrameAt(*tail, tail->GetDataSize() - 4), 44099u);

    // Copies play through the same kind of player as their original.
    tail->Play();
    EXPECT_EQ(log.plays, 1);
}

TEST(WaveDoc, CloneCopiesEverySample)
{
    auto clip = IndexedClip(1000);
    clip->SetStart(250);
    auto copy = clip->Clone();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetStart(), 0u);
    EXPECT_EQ(copy->GetDataSize(), 4000u);
    EXPECT_NE(copy->GetStore()->GetPath(), clip->GetStore()->GetPath());
    for (uint32_t i : {0u, 1u, 500u, 999u})
        EXPECT_EQ(FrameAt(*copy, i * 4), i);

    CWaveDoc empty;
    EXPECT_EQ(empty.Clone(), nullptr);
}

TEST(WaveDoc, OverlapsAndSameFormat)
{
    auto clip = IndexedClip(44100); // 1000 ms
    clip->SetStart(1000);
    struct Case
    {
        int64_t from, to;
        bool overlaps;
    };
    for (const Case& c : {Case{0, 1000, false}, Case{0, 1001, true}, Case{1999, 3000, true},
                          Case{2000, 3000, false}, Case{1200, 1300, true}})
        EXPECT_EQ(clip->Overlaps(c.from, c.to), c.overlaps) << c.from << ".." << c.to;

    WaveFormat other = kProjectFormat;
    other.formatTag = 3;
    other.avgBytesPerSec = 1;
    other.blockAlign = 9;
    EXPECT_TRUE(clip->IsSameFormat(other));
    EXPECT_FALSE(clip->IsSameFormat(MakePcmFormat(1, 44100, 16)));
    EXPECT_FALSE(clip->IsSameFormat(MakePcmFormat(2, 48000, 16)));
    EXPECT_FALSE(clip->IsSameFormat(MakePcmFormat(2, 44100, 8)));
}

} // namespace
