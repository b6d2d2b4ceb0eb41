#include "platform/AudioMixer.h"
#include "platform/AudioVoice.h"
#include "platform/AutoResetEvent.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

std::vector<uint8_t> Samples16(const std::vector<int16_t>& values)
{
    std::vector<uint8_t> bytes(values.size() * 2);
    std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}

// A playing voice holding bytes, attached to mixer.
std::unique_ptr<AudioVoice> PlayingVoice(AudioMixer& mixer, const AudioVoiceFormat& format,
                                         const std::vector<uint8_t>& bytes)
{
    auto voice = AudioVoice::Create(format, static_cast<uint32_t>(bytes.size()));
    if (!voice || !voice->Write(0, bytes.data(), static_cast<uint32_t>(bytes.size())))
        return nullptr;
    mixer.Attach(voice.get());
    voice->Play();
    return voice;
}

std::vector<int16_t> MixFrames(AudioMixer& mixer, size_t frames)
{
    std::vector<int16_t> out(frames * 2, 12345);
    mixer.Mix(out.data(), frames);
    return out;
}

struct ConversionCase
{
    const char* name;
    AudioVoiceFormat format;
    std::vector<uint8_t> bytes;
    std::vector<int16_t> expected; // the first output frames, interleaved L R
};

class AudioMixerConversion : public testing::TestWithParam<ConversionCase>
{
};

TEST_P(AudioMixerConversion, ConvertsToStereo16Bit44100)
{
    const ConversionCase& c = GetParam();
    AudioMixer mixer;
    auto voice = PlayingVoice(mixer, c.format, c.bytes);
    ASSERT_NE(voice, nullptr);
    EXPECT_EQ(MixFrames(mixer, c.expected.size() / 2), c.expected);
    mixer.Detach(voice.get());
}

INSTANTIATE_TEST_SUITE_P(
    Formats, AudioMixerConversion,
    testing::Values(
        ConversionCase{"Stereo16",
                       {2, 44100, 16},
                       Samples16({100, -100, 32767, -32768, 5, 6}),
                       {100, -100, 32767, -32768, 5, 6, 100, -100}},
        ConversionCase{"Mono16", {1, 44100, 16}, Samples16({300, -7}), {300, 300, -7, -7}},
        ConversionCase{"Mono8",
                       {1, 44100, 8},
                       {0x81, 0x00, 0xFF, 0x80},
                       {256, 256, -32768, -32768, 32512, 32512, 0, 0}},
        ConversionCase{"Stereo8", {2, 44100, 8}, {0x00, 0xFF}, {-32768, 32512}},
        // Half the output rate: every second frame lies halfway between two.
        ConversionCase{"Mono16At22050",
                       {1, 22050, 16},
                       Samples16({0, 1000, -1000, 0}),
                       {0, 0, 500, 500, 1000, 1000, 0, 0, -1000, -1000, -500, -500, 0, 0}}),
    [](const testing::TestParamInfo<ConversionCase>& info) { return info.param.name; });

TEST(AudioMixer, EachVoiceAdvancesAtItsOwnRate)
{
    for (uint32_t rate : {8000u, 11025u, 22050u, 44100u, 48000u}) {
        AudioMixer mixer;
        auto voice = PlayingVoice(mixer, {2, rate, 16}, std::vector<uint8_t>(rate * 4 * 2));
        ASSERT_NE(voice, nullptr);
        MixFrames(mixer, 44100 / 2); // half a second
        const double frames = voice->GetPosition() / 4.0;
        EXPECT_NEAR(frames, rate / 2.0, 1.0) << rate << " Hz";
        mixer.Detach(voice.get());
    }
}

TEST(AudioMixer, VolumeIsAGainOfTenToTheVolumeOver2000)
{
    AudioMixer mixer;
    auto voice = PlayingVoice(mixer, {1, 44100, 16}, Samples16({20000, 20000}));
    ASSERT_NE(voice, nullptr);
    for (int volume : {0, -600, -2000, -5000, -9999, -10000, -20000, 300}) {
        voice->SetVolume(volume);
        const double gain = volume <= -10000 ? 0 : std::pow(10.0, std::min(volume, 0) / 2000.0);
        const std::vector<int16_t> out = MixFrames(mixer, 2);
        EXPECT_NEAR(out[0], 20000 * gain, 1.0) << volume;
        EXPECT_EQ(out[0], out[3]) << volume;
    }
    mixer.Detach(voice.get());
}

TEST(AudioMixer, SumsVoicesAndClampsTheMix)
{
    AudioMixer mixer;
    auto loud = PlayingVoice(mixer, {2, 44100, 16}, Samples16({30000, -30000, 1000, 2}));
    auto louder = PlayingVoice(mixer, {2, 44100, 16}, Samples16({30000, -30000, -400, 3}));
    ASSERT_NE(loud, nullptr);
    ASSERT_NE(louder, nullptr);
    EXPECT_EQ(MixFrames(mixer, 2), (std::vector<int16_t>{32767, -32768, 600, 5}));

    // A stopped voice adds nothing; a detached one is never touched again.
    louder->Stop();
    EXPECT_EQ(MixFrames(mixer, 2), (std::vector<int16_t>{30000, -30000, 1000, 2}));
    louder->Play();
    mixer.Detach(louder.get());
    louder.reset();
    EXPECT_EQ(MixFrames(mixer, 2), (std::vector<int16_t>{30000, -30000, 1000, 2}));
    mixer.Detach(loud.get());
    EXPECT_EQ(MixFrames(mixer, 1), (std::vector<int16_t>{0, 0}));
}

// Whether event was set since the last wait; consumes the event.
bool WasSet(AutoResetEvent& event)
{
    event.RequestQuit(); // so Wait returns at once
    return event.Wait().signalled;
}

TEST(AudioMixer, NotificationsFireWhenPlayPassesAPosition)
{
    AudioMixer mixer;
    // 200 frames of 16-bit mono: 400 bytes, positions at the two halves' last bytes.
    auto voice = PlayingVoice(mixer, {1, 44100, 16}, std::vector<uint8_t>(400));
    ASSERT_NE(voice, nullptr);
    voice->Stop();
    auto check = [&](size_t frames, uint32_t position, bool expected) {
        AutoResetEvent event;
        ASSERT_TRUE(voice->SetNotificationPositions({199, 399}, &event));
        MixFrames(mixer, frames);
        EXPECT_EQ(voice->GetPosition(), position);
        EXPECT_EQ(WasSet(event), expected) << "at " << position;
    };
    check(10, 0, false); // stopped: nothing moves
    voice->Play();
    check(99, 198, false);
    check(1, 200, true); // beyond byte 199
    check(99, 398, false);
    check(2, 2, true); // the wrap passes byte 399
    check(300, 202, true);

    AutoResetEvent unused;
    EXPECT_FALSE(voice->SetNotificationPositions({400}, &unused));
    mixer.Detach(voice.get());
}

TEST(AudioVoice, RefusesWhatItCannotHold)
{
    EXPECT_EQ(AudioVoice::Create({0, 44100, 16}, 4), nullptr);
    EXPECT_EQ(AudioVoice::Create({3, 44100, 16}, 6), nullptr);
    EXPECT_EQ(AudioVoice::Create({2, 44100, 24}, 6), nullptr);
    EXPECT_EQ(AudioVoice::Create({1, 50, 8}, 4), nullptr);
    EXPECT_EQ(AudioVoice::Create({2, 44100, 16}, 0), nullptr);
    EXPECT_EQ(AudioVoice::Create({2, 44100, 16}, 6), nullptr) << "not whole frames";

    auto voice = AudioVoice::Create({1, 8000, 8}, 8);
    ASSERT_NE(voice, nullptr);
    const uint8_t bytes[9] = {};
    EXPECT_TRUE(voice->Write(4, bytes, 4));
    EXPECT_FALSE(voice->Write(5, bytes, 4));
    EXPECT_FALSE(voice->Write(9, bytes, 0));
    EXPECT_FALSE(voice->Write(0, bytes, 9));
    EXPECT_TRUE(voice->SetPosition(7));
    EXPECT_EQ(voice->GetPosition(), 7u);
    EXPECT_FALSE(voice->SetPosition(8));
}

} // namespace
