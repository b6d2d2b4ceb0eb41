#include "audio/AudioTrack.h"
#include "audio/IProgress.h"
#include "audio/Mixdown.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// A clip of one constant sample value.
std::unique_ptr<CWaveDoc> Constant(const WaveFormat& format, int value, uint32_t ms,
                                   uint32_t startMs)
{
    auto clip = std::make_unique<CWaveDoc>();
    clip->SetFormat(format);
    clip->SetStart(startMs);
    EXPECT_TRUE(clip->CreateStore(clip->MsToBytes(ms)));
    CMappedView view = clip->GetStore()->MapView(0, clip->GetDataSize());
    if (format.bitsPerSample == 8) {
        std::memset(view.data(), value, view.size());
    } else {
        auto* s = reinterpret_cast<int16_t*>(view.data());
        std::fill(s, s + view.size() / 2, static_cast<int16_t>(value));
    }
    return clip;
}

int16_t SampleAt(const CWaveDoc& clip, uint32_t ms, int channel = 0)
{
    int16_t value = 0;
    const uint32_t offset = clip.MsToBytes(ms) + 2 * channel;
    std::memcpy(&value, clip.GetStore()->MapView(offset, 2).data(), 2);
    return value;
}

struct Stages : IProgress
{
    void StageAnalyse() override { log += "A"; }
    void StageConvert() override { log += "C"; }
    void StageLoad() override { log += "L"; }
    void StageSave() override { log += "S"; }
    void StageMix() override { log += "M"; }
    void Advance(int n) override { log += "+" + std::to_string(n); }
    void StageDone() override { log += "D"; }
    std::string log;
};

TEST(Mixdown, AllTakesTheHighestRateAndAddsEveryClip)
{
    CAudioTrack a, b;
    a.AddClip(Constant(MakePcmFormat(1, 22050, 16), 1000, 1000, 0));
    b.AddClip(Constant(kProjectFormat, 2000, 500, 250));
    Stages stages;
    auto mix = Mixdown::All({&a, &b}, 1000, &stages);
    ASSERT_TRUE(mix);
    EXPECT_EQ(mix->GetFormat(), kProjectFormat);
    EXPECT_EQ(mix->GetDuration(), 1000u);
    EXPECT_EQ(SampleAt(*mix, 100), 1000) << "the mono clip comes in converted";
    EXPECT_EQ(SampleAt(*mix, 100, 1), 1000);
    EXPECT_EQ(SampleAt(*mix, 500), 3000);
    EXPECT_EQ(SampleAt(*mix, 900), 1000);
    EXPECT_EQ(stages.log, "AM+30+30");
}

TEST(Mixdown, SelectionIsAlwaysProjectFormat)
{
    CAudioTrack a;
    a.AddClip(Constant(MakePcmFormat(1, 8000, 16), 500, 2000, 1000));
    a.AddClip(Constant(MakePcmFormat(1, 8000, 16), 700, 100, 5000)); // outside
    auto mix = Mixdown::Selection({&a}, 2500, 4000, nullptr);
    ASSERT_TRUE(mix);
    EXPECT_EQ(mix->GetFormat(), kProjectFormat);
    EXPECT_EQ(mix->GetDuration(), 1500u);
    EXPECT_EQ(SampleAt(*mix, 100), 500);
    EXPECT_EQ(SampleAt(*mix, 400, 1), 500);
    EXPECT_EQ(SampleAt(*mix, 600), 0) << "the clip ends at 3000 ms";
}

TEST(Mixdown, MutedTracksAreLeftOutOfBothMixes)
{
    // The muted track holds the only 48-kHz clip: it decides neither the
    // samples nor the format.
    CAudioTrack heard, muted;
    heard.AddClip(Constant(kProjectFormat, 1000, 1000, 0));
    muted.AddClip(Constant(MakePcmFormat(2, 48000, 16), 3000, 1000, 0));
    muted.SetMute(true);
    auto all = Mixdown::All({&heard, &muted}, 1000, nullptr);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->GetFormat(), kProjectFormat);
    EXPECT_EQ(SampleAt(*all, 500), 1000);
    auto part = Mixdown::Selection({&muted, &heard}, 200, 400, nullptr);
    ASSERT_TRUE(part);
    EXPECT_EQ(SampleAt(*part, 100, 1), 1000);

    muted.SetMute(false);
    auto both = Mixdown::Selection({&muted, &heard}, 200, 400, nullptr);
    EXPECT_EQ(SampleAt(*both, 100), 4000) << "unmuted, it is mixed again";
}

TEST(Mixdown, EightBitSilenceIsTheMiddleValue)
{
    CAudioTrack a;
    a.AddClip(Constant(MakePcmFormat(1, 48000, 8), 200, 100, 500));
    auto mix = Mixdown::All({&a}, 1000, nullptr);
    ASSERT_TRUE(mix);
    EXPECT_EQ(mix->GetFormat().bitsPerSample, 8);
    CMappedView view = mix->GetStore()->MapView(0, mix->GetDataSize());
    EXPECT_EQ(view.data()[0], 0x80) << "before the clip";
    EXPECT_EQ(view.data()[mix->MsToBytes(550)], 200);
    EXPECT_EQ(view.data()[view.size() - 1], 0x80);
}

TEST(Mixdown, RecordingClipsAndEmptyProjects)
{
    CAudioTrack a;
    auto recording = Constant(kProjectFormat, 1000, 100, 0);
    recording->SetRecording(true);
    a.AddClip(std::move(recording));
    auto mix = Mixdown::All({&a}, 100, nullptr);
    ASSERT_TRUE(mix);
    EXPECT_EQ(SampleAt(*mix, 50), 0);
    auto empty = Mixdown::All({}, 0, nullptr);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->GetDataSize(), 0u);
}

} // namespace
