#include "audio/WaveDoc.h"

#include <gtest/gtest.h>
#include <libresample.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

namespace {

// Sample value of one frame and channel: signed for 16 bits, 0..255 for 8.
using SampleFunction = std::function<int(uint32_t frame, int channel)>;

std::unique_ptr<CWaveDoc> MakeClip(const WaveFormat& format, uint32_t frames,
                                   const SampleFunction& sample)
{
    auto clip = std::make_unique<CWaveDoc>();
    clip->SetFormat(format);
    if (!clip->CreateStore(frames * format.blockAlign))
        return nullptr;
    if (frames == 0)
        return clip;
    CMappedView view = clip->GetStore()->MapView(0, clip->GetDataSize());
    for (uint32_t i = 0; i < frames; ++i) {
        for (int c = 0; c < format.channels; ++c) {
            uint8_t* slot = view.data() + i * format.blockAlign + c * format.bitsPerSample / 8;
            const int value = sample(i, c);
            if (format.bitsPerSample == 16) {
                const int16_t v = static_cast<int16_t>(value);
                std::memcpy(slot, &v, 2);
            } else {
                *slot = static_cast<uint8_t>(value);
            }
        }
    }
    return clip;
}

// All samples of one channel.
std::vector<int> Channel(const CWaveDoc& clip, int channel)
{
    const WaveFormat& format = clip.GetFormat();
    std::vector<int> values;
    if (clip.GetDataSize() == 0)
        return values;
    CMappedView view = clip.GetStore()->MapView(0, clip.GetDataSize());
    const uint32_t frames = clip.GetDataSize() / format.blockAlign;
    for (uint32_t i = 0; i < frames; ++i) {
        const uint8_t* slot =
            view.data() + i * format.blockAlign + channel * format.bitsPerSample / 8;
        if (format.bitsPerSample == 16) {
            int16_t v;
            std::memcpy(&v, slot, 2);
            values.push_back(v);
        } else {
            values.push_back(*slot);
        }
    }
    return values;
}

int SignChanges(const std::vector<int>& values, size_t from, size_t to)
{
    int changes = 0;
    for (size_t i = from + 1; i < to; ++i)
        changes += (values[i - 1] < 0) != (values[i] < 0);
    return changes;
}

// Middle of a converted constant signal, away from the filter's edges.
void ExpectSteady(const std::vector<int>& values, int expected, int tolerance)
{
    ASSERT_GT(values.size(), 200u);
    for (size_t i = 100; i < values.size() - 100; ++i)
        ASSERT_NEAR(values[i], expected, tolerance) << "at " << i;
}

TEST(WaveConvert, ProjectToRingKeepsToneLengthAndStart)
{
    const uint32_t frames = 44100; // one second
    auto clip = MakeClip(kProjectFormat, frames, [](uint32_t i, int c) {
        return static_cast<int>(
            std::lround((c ? 5000 : 10000) * std::sin(2 * M_PI * 1000 * i / 44100.0)));
    });
    clip->SetStart(1234);
    auto ring = clip->ConvertFormat(kRingFormat);
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(ring->GetFormat(), kRingFormat);
    EXPECT_EQ(ring->GetStart(), 1234u);
    const uint32_t outFrames = ring->GetDataSize() / 2;
    EXPECT_NEAR(double(outFrames), frames * 8000.0 / 44100, 1.0);
    EXPECT_EQ(outFrames % 2, 0u) << "cut to a multiple of the block alignment";

    // 1000 Hz crosses zero 2000 times a second: count over the middle half.
    const std::vector<int> mono = Channel(*ring, 0);
    EXPECT_NEAR(SignChanges(mono, 2000, 6000), 1000, 2);
    EXPECT_EQ(clip->GetDataSize(), frames * 4) << "the source is unchanged";
}

TEST(WaveConvert, StereoToMonoWeighsLeftTwice)
{
    struct Case
    {
        int left, right, mono;
    } cases[] = {{1000, 1000, 750}, {1000, 0, 500}, {0, 1000, 250}, {-2000, 2000, -500}};
    for (const Case& c : cases) {
        auto clip = MakeClip(kProjectFormat, 4410,
                             [&](uint32_t, int ch) { return ch ? c.right : c.left; });
        auto mono = clip->ConvertFormat(MakePcmFormat(1, 44100, 16));
        ASSERT_NE(mono, nullptr);
        SCOPED_TRACE(testing::Message() << c.left << "," << c.right);
        ExpectSteady(Channel(*mono, 0), c.mono, 3);
    }
}

TEST(WaveConvert, ChannelsStaySeparateAndMonoFillsBoth)
{
    // Stereo to stereo: each channel through its own pass.
    auto stereo = MakeClip(kProjectFormat, 44100, [](uint32_t i, int c) {
        return c ? 500 : static_cast<int>(8000 * std::sin(2 * M_PI * 440 * i / 44100.0));
    });
    auto converted = stereo->ConvertFormat(MakePcmFormat(2, 8000, 16));
    ASSERT_NE(converted, nullptr);
    ExpectSteady(Channel(*converted, 1), 500, 3);
    EXPECT_NEAR(SignChanges(Channel(*converted, 0), 0, 8000), 880, 3);

    // Mono to stereo: two equal channels.
    auto mono = MakeClip(MakePcmFormat(1, 22050, 16), 22050, [](uint32_t i, int) {
        return static_cast<int>(8000 * std::sin(2 * M_PI * 300 * i / 22050.0));
    });
    auto both = mono->ConvertFormat(kProjectFormat);
    ASSERT_NE(both, nullptr);
    EXPECT_NEAR(double(both->GetDataSize() / 4), 44100.0, 1.0);
    EXPECT_EQ(Channel(*both, 0), Channel(*both, 1));

    // 8-bit sources are read as (byte - 128) * 256.
    auto eightBit =
        MakeClip(MakePcmFormat(2, 8000, 8), 800, [](uint32_t, int c) { return c ? 255 : 160; });
    auto wide = eightBit->ConvertFormat(MakePcmFormat(1, 8000, 16));
    ASSERT_NE(wide, nullptr);
    ExpectSteady(Channel(*wide, 0), 32 * 256, 30);
}

// The whole conversion in one pass over whole-clip float buffers, one
// libresample run per channel: the result the split conversion must match.
std::vector<std::vector<int>> SinglePass(const CWaveDoc& clip, const WaveFormat& target)
{
    const WaveFormat& source = clip.GetFormat();
    const double factor = double(target.samplesPerSec) / source.samplesPerSec;
    const int frames = int(clip.GetDataSize() / source.blockAlign);
    const std::vector<int> first = Channel(clip, 0);
    const std::vector<int> second = source.channels == 2 ? Channel(clip, 1) : first;
    const bool reduce = source.channels == 2 && target.channels == 1;
    const auto input = [&](const std::vector<int>& values, bool mix) {
        std::vector<float> in(frames + 100, 0.0f);
        for (int i = 0; i < frames; ++i) {
            if (source.bitsPerSample == 8)
                in[i] = float((values[i] - 128) * 256);
            else if (mix)
                in[i] = float((first[i] + second[i] / 2) / 2.0);
            else
                in[i] = float(values[i]);
        }
        return in;
    };
    const int capacity = int(frames * factor) + 1000;
    const auto resample = [&](std::vector<float> in, int* producedOut) {
        std::vector<float> out(capacity + 100, 0.0f);
        void* r = resample_open(1, factor, factor);
        int used = 0, produced = 0;
        for (;;) {
            int consumed = 0;
            const int got =
                resample_process(r, factor, in.data() + used, frames - used, 1, &consumed,
                                 out.data() + produced, capacity - produced);
            if (got < 0)
                break;
            used += consumed;
            produced += got;
            if (got == 0 && (used >= frames || consumed == 0))
                break;
        }
        resample_close(r);
        *producedOut = produced;
        return out;
    };
    const auto store = [&](float y) {
        if (target.bitsPerSample == 8)
            return int(std::clamp(std::trunc(y / 256.0 + 128), 0.0, 255.0));
        return y >= 32000 ? 32000 : y <= -32000 ? -32000 : int(std::trunc(y));
    };
    int produced = 0;
    const std::vector<float> out0 = resample(input(first, reduce), &produced);
    const int outFrames = produced - produced % target.blockAlign;
    std::vector<std::vector<int>> channels(target.channels == 2 ? 2 : 1);
    for (int i = 0; i < outFrames; ++i)
        channels[0].push_back(store(out0[i]));
    if (target.channels == 2) {
        int unused = 0;
        const std::vector<float> out1 =
            source.channels == 2 ? resample(input(second, false), &unused) : out0;
        for (int i = 0; i < outFrames; ++i)
            channels[1].push_back(store(out1[i]));
    }
    return channels;
}

struct SplitCase
{
    const char* name;
    WaveFormat source;
    WaveFormat target;
    uint32_t frames;
    int tolerance; // steps of the output's last bit
};

class ConvertSplit : public testing::TestWithParam<SplitCase>
{
};

// Segments start fresh resamplers whose clocks add up their steps in
// another order than one long pass: a sample may land one step of the last
// bit away, never more, and the frame count is the same.
TEST_P(ConvertSplit, MatchesSinglePassWithinOneStep)
{
    const SplitCase& c = GetParam();
    std::mt19937 random(7);
    std::uniform_int_distribution<int> noise(c.source.bitsPerSample == 8 ? 0 : -30000,
                                             c.source.bitsPerSample == 8 ? 255 : 30000);
    auto clip = MakeClip(c.source, c.frames, [&](uint32_t, int) { return noise(random); });
    const std::vector<std::vector<int>> expected = SinglePass(*clip, c.target);
    ASSERT_GT(expected[0].size(), 0u);

    struct Way
    {
        const char* name;
        CWaveDoc::ConvertSplit split;
    } ways[] = {{"default", {}},
                {"one thread", {1, 0}},
                {"small segments", {3, 700}},
                {"tiny segments", {8, 90}}};
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        auto converted = clip->ConvertFormat(c.target, way.split);
        ASSERT_NE(converted, nullptr);
        EXPECT_EQ(converted->GetFormat(), c.target);
        for (size_t ch = 0; ch < expected.size(); ++ch) {
            const std::vector<int> got = Channel(*converted, int(ch));
            ASSERT_EQ(got.size(), expected[ch].size()) << "channel " << ch;
            for (size_t i = 0; i < got.size(); ++i)
                ASSERT_NEAR(got[i], expected[ch][i], c.tolerance)
                    << "channel " << ch << " frame " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, ConvertSplit,
    testing::Values(
        // 3 s: the end falls exactly on a frame both rates share.
        SplitCase{"StereoToMonoOnLattice", kProjectFormat, kRingFormat, 132300, 1},
        SplitCase{"StereoToMono", kProjectFormat, kRingFormat, 100003, 1},
        SplitCase{"MonoToStereoUp", MakePcmFormat(1, 22050, 16), kProjectFormat, 45001, 1},
        SplitCase{"EightBitStereo", MakePcmFormat(2, 11025, 8), MakePcmFormat(2, 16000, 8), 30011,
                  1},
        SplitCase{"EightBitUp", MakePcmFormat(2, 22050, 8), kProjectFormat, 40000, 1},
        // At 0.36 the last tap of the filter is large enough that a frame
        // whose window ends exactly on a segment's first input (the clock of
        // one long pass lies a hair beside it) moves by up to 3 steps in
        // full-scale noise.
        SplitCase{"EightBitToMono16", MakePcmFormat(2, 22050, 8), kRingFormat, 40000, 3},
        SplitCase{"ShorterThanASegment", kProjectFormat, kRingFormat, 300, 1},
        SplitCase{"ShorterThanTheFilter", MakePcmFormat(1, 22050, 16), kProjectFormat, 7, 1}),
    [](const testing::TestParamInfo<SplitCase>& info) { return info.param.name; });

TEST(WaveConvert, OutputIsClampedTo16BitLimitsAnd8BitRange)
{
    for (const int level : {32767, -32768}) {
        auto clip =
            MakeClip(MakePcmFormat(1, 44100, 16), 4410, [&](uint32_t, int) { return level; });
        auto out = clip->ConvertFormat(MakePcmFormat(1, 8000, 16));
        ASSERT_NE(out, nullptr);
        ExpectSteady(Channel(*out, 0), level > 0 ? 32000 : -32000, 0);
    }

    // A full-scale square wave rings past full scale after the filter; 8-bit
    // output holds it at 255 instead of wrapping to small values.
    auto square = MakeClip(MakePcmFormat(1, 44100, 16), 44100,
                           [](uint32_t i, int) { return (i / 50) % 2 ? -32768 : 32767; });
    auto eight = square->ConvertFormat(MakePcmFormat(1, 22050, 8));
    ASSERT_NE(eight, nullptr);
    const std::vector<int> values = Channel(*eight, 0);
    int atTop = 0;
    for (size_t i = 100; i < values.size() - 100; ++i) {
        const bool high = (i * 2 / 50) % 2 == 0;
        const size_t intoHalf = (i * 2) % 50;
        if (!high || intoHalf < 4 || intoHalf > 46)
            continue; // edges
        ASSERT_GE(values[i], 200) << "at " << i;
        atTop += values[i] == 255;
    }
    EXPECT_GT(atTop, 0) << "the overshoot reached the top of the range";
}

TEST(WaveConvert, RefusesWhatItCannotMake)
{
    auto clip = MakeClip(kProjectFormat, 100, [](uint32_t, int) { return 0; });
    EXPECT_EQ(clip->ConvertFormat(MakePcmFormat(1, 8000, 24)), nullptr);
    WaveFormat noAlignment = kRingFormat;
    noAlignment.blockAlign = 0;
    EXPECT_EQ(clip->ConvertFormat(noAlignment), nullptr);
    WaveFormat noRate = kRingFormat;
    noRate.samplesPerSec = 0;
    EXPECT_EQ(clip->ConvertFormat(noRate), nullptr);

    CWaveDoc empty;
    empty.SetFormat(kProjectFormat);
    EXPECT_EQ(empty.ConvertFormat(kRingFormat), nullptr);

    // A source format with no alignment (set by hand) divides by nothing.
    WaveFormat broken = kProjectFormat;
    broken.blockAlign = 0;
    clip->SetFormat(broken);
    EXPECT_EQ(clip->ConvertFormat(kRingFormat), nullptr);
}

struct MixCase
{
    const char* name;
    uint16_t bits;
    int dest, source, mixed;
};

class Mix : public testing::TestWithParam<MixCase>
{
};

TEST_P(Mix, Saturates)
{
    const MixCase& c = GetParam();
    const WaveFormat format = MakePcmFormat(2, 8000, c.bits);
    auto dest = MakeClip(format, 10, [&](uint32_t, int) { return c.dest; });
    auto source = MakeClip(format, 10, [&](uint32_t, int) { return c.source; });
    ASSERT_EQ(dest->MixFrom(*source, 0, 0, dest->GetDataSize()), 1);
    for (int ch : {0, 1})
        EXPECT_EQ(Channel(*dest, ch), std::vector<int>(10, c.mixed));
    EXPECT_EQ(Channel(*source, 0), std::vector<int>(10, c.source));
}

INSTANTIATE_TEST_SUITE_P(
    Values, Mix,
    testing::Values(MixCase{"Sum16", 16, 1000, -3000, -2000},
                    MixCase{"High16", 16, 20000, 20000, 32767},
                    MixCase{"Low16", 16, -20000, -20000, -32768},
                    MixCase{"Silence8", 8, 128, 128, 128}, MixCase{"High8", 8, 200, 200, 255},
                    MixCase{"Low8", 8, 50, 50, 0}, MixCase{"Sum8", 8, 140, 100, 112}),
    [](const testing::TestParamInfo<MixCase>& info) { return info.param.name; });

TEST(WaveMix, RangesAreCutToBothClips)
{
    const WaveFormat format = MakePcmFormat(1, 8000, 16);
    auto dest = MakeClip(format, 10, [](uint32_t, int) { return 1; });
    auto source = MakeClip(format, 4, [](uint32_t i, int) { return 100 * (int(i) + 1); });

    // Two frames in, a count far past both ends: only the source's last two
    // samples remain to mix.
    ASSERT_EQ(dest->MixFrom(*source, 4, 4, 1000000), 1);
    EXPECT_EQ(Channel(*dest, 0), (std::vector<int>{1, 1, 301, 401, 1, 1, 1, 1, 1, 1}));

    // Offsets at or past the ends mix nothing.
    EXPECT_EQ(dest->MixFrom(*source, 20, 0, 8), 1);
    EXPECT_EQ(dest->MixFrom(*source, 0, 9, 8), 1);
    EXPECT_EQ(dest->MixFrom(*source, 0xFFFFFFF0u, 0, 0xFFFFFFFFu), 1);
    EXPECT_EQ(Channel(*dest, 0), (std::vector<int>{1, 1, 301, 401, 1, 1, 1, 1, 1, 1}));
}

TEST(WaveMix, RefusesOtherFormatsAndMissingSamples)
{
    auto dest = MakeClip(MakePcmFormat(1, 8000, 16), 4, [](uint32_t, int) { return 7; });
    auto otherRate = MakeClip(MakePcmFormat(1, 11025, 16), 4, [](uint32_t, int) { return 7; });
    auto otherBits = MakeClip(MakePcmFormat(1, 8000, 8), 8, [](uint32_t, int) { return 7; });
    EXPECT_EQ(dest->MixFrom(*otherRate, 0, 0, 8), 0);
    EXPECT_EQ(dest->MixFrom(*otherBits, 0, 0, 8), 0);
    EXPECT_EQ(Channel(*dest, 0), std::vector<int>(4, 7));

    CWaveDoc empty;
    empty.SetFormat(MakePcmFormat(1, 8000, 16));
    EXPECT_EQ(dest->MixFrom(empty, 0, 0, 8), 0);
    EXPECT_EQ(empty.MixFrom(*dest, 0, 0, 8), 0);
}

} // namespace
