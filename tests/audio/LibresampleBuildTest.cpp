// The project's build of libresample, with its filter loops laid out anew,
// against Debian's libresample1 loaded beside it: the same calls must give
// the same floats, bit for bit, and the same number of them.
#include "audio/PcmConvert.h"
#include "audio/WaveFormat.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <libresample.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace {

struct Library
{
    decltype(&resample_open) open;
    decltype(&resample_dup) dup;
    decltype(&resample_process) process;
    decltype(&resample_close) close;
};

const Library kOurs{resample_open, resample_dup, resample_process, resample_close};

// Debian's library through its own handle: the build's copy is linked into
// this program under the same names, with hidden symbols.
const Library* Debian()
{
    static const Library* library = []() -> const Library* {
        void* handle = dlopen("libresample.so.1", RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            return nullptr;
        static Library found{
            reinterpret_cast<decltype(&resample_open)>(dlsym(handle, "resample_open")),
            reinterpret_cast<decltype(&resample_dup)>(dlsym(handle, "resample_dup")),
            reinterpret_cast<decltype(&resample_process)>(dlsym(handle, "resample_process")),
            reinterpret_cast<decltype(&resample_close)>(dlsym(handle, "resample_close"))};
        if (!found.open || !found.dup || !found.process || !found.close)
            return nullptr;
        return &found;
    }();
    return library;
}

struct Stream
{
    int highQuality = 1;
    bool duplicate = false; // run a resample_dup of the opened resampler
    int inputBlock = 0;     // frames given per call; 0: all at once
    int outputBlock = 0;    // room given per call; 0: all the output expected
};

// One channel through a resampler of library, the way the conversions call
// it: input in blocks, the last one flagged, then calls until nothing more
// comes out. Returns every float it gave.
std::vector<float> Resample(const Library& library, double factor, const std::vector<float>& input,
                            const Stream& stream)
{
    const int frames = static_cast<int>(input.size());
    void* opened = library.open(stream.highQuality, factor, factor);
    EXPECT_NE(opened, nullptr);
    if (!opened)
        return {};
    void* resampler = opened;
    if (stream.duplicate) {
        resampler = library.dup(opened);
        library.close(opened);
    }
    const int room =
        stream.outputBlock > 0 ? stream.outputBlock : static_cast<int>(frames * factor) + 1000;
    std::vector<float> block(room);
    std::vector<float> output;
    std::vector<float> in = input; // the library takes a non-const pointer
    int used = 0;
    for (int calls = 0; calls < 1000000; ++calls) {
        const int left = frames - used;
        const int give = stream.inputBlock > 0 ? std::min(stream.inputBlock, left) : left;
        int consumed = 0;
        const int got = library.process(resampler, factor, in.data() + used, give,
                                        used + give == frames, &consumed, block.data(), room);
        EXPECT_GE(got, 0);
        if (got < 0)
            break;
        used += consumed;
        output.insert(output.end(), block.begin(), block.begin() + got);
        if (got == 0 && (used >= frames || consumed == 0))
            break;
    }
    library.close(resampler);
    return output;
}

// Broadband noise at up to full scale, with a stretch of silence (where
// products of zero and a negative coefficient are -0) and a step.
std::vector<float> TestSignal(int frames)
{
    std::mt19937 random(35);
    std::uniform_int_distribution<int> noise(-32768, 32767);
    std::vector<float> signal(frames);
    for (int i = 0; i < frames; ++i) {
        if (i % 5000 >= 4000)
            signal[i] = 0.0f;
        else if (i % 5000 >= 3900)
            signal[i] = 32767.0f;
        else
            signal[i] = static_cast<float>(noise(random));
    }
    return signal;
}

void ExpectSameFloats(const std::vector<float>& ours, const std::vector<float>& debian)
{
    ASSERT_EQ(ours.size(), debian.size());
    for (size_t i = 0; i < ours.size(); ++i) {
        uint32_t a = 0;
        uint32_t b = 0;
        std::memcpy(&a, &ours[i], 4);
        std::memcpy(&b, &debian[i], 4);
        ASSERT_EQ(a, b) << "sample " << i << " of " << ours.size() << ": " << ours[i]
                        << " against " << debian[i];
    }
}

struct RateCase
{
    const char* name;
    int from;
    int to;
    int frames;
    Stream stream;
};

void PrintTo(const RateCase& c, std::ostream* os)
{
    *os << c.name;
}

class LibresampleBuild : public testing::TestWithParam<RateCase>
{
};

TEST_P(LibresampleBuild, GivesDebiansSamples)
{
    const Library* debian = Debian();
    ASSERT_NE(debian, nullptr) << "Debian's libresample.so.1 cannot be loaded: " << dlerror();
    const RateCase& c = GetParam();
    const double factor = static_cast<double>(c.to) / c.from;
    const std::vector<float> input = TestSignal(c.frames);
    const std::vector<float> expected = Resample(*debian, factor, input, c.stream);
    ASSERT_FALSE(expected.empty());
    ExpectSameFloats(Resample(kOurs, factor, input, c.stream), expected);
}

// Blocks as the clip conversion feeds them: 64 Ki input frames, 16 Ki out.
constexpr Stream kClipBlocks{1, true, 65536, 16384};

INSTANTIATE_TEST_SUITE_P(
    Rates, LibresampleBuild,
    testing::Values(RateCase{"Down44100To8000", 44100, 8000, 200003, kClipBlocks},
                    RateCase{"Down48000To8000", 48000, 8000, 96001, {1, false, 1000, 333}},
                    RateCase{"Down32000To8000", 32000, 8000, 40000, {}},
                    RateCase{"Down48000To44100", 48000, 44100, 30011, kClipBlocks},
                    RateCase{"Down11025To8000", 11025, 8000, 22051, {1, false, 4097, 0}},
                    RateCase{"NearOneDown44101To44100", 44101, 44100, 44101, kClipBlocks},
                    RateCase{"One44100To44100", 44100, 44100, 10007, {}},
                    RateCase{"NearOneUp44100To44101", 44100, 44101, 44100, kClipBlocks},
                    RateCase{"Up22050To44100", 22050, 44100, 110251, kClipBlocks},
                    RateCase{"Up8000To48000", 8000, 48000, 16001, {1, false, 777, 100}},
                    RateCase{"Up8000To11025", 8000, 11025, 9999, {}},
                    RateCase{"Up16000To22050", 16000, 22050, 32003, kClipBlocks},
                    RateCase{"Up44100To48000", 44100, 48000, 30011, {1, true, 0, 7}},
                    // Streams shorter than the filter: all of the output is the flush.
                    RateCase{"ShortUp8000To44100", 8000, 44100, 7, {}},
                    RateCase{"ShortDown44100To8000", 44100, 8000, 30, {1, true, 1, 1}},
                    // The small filter, which the layout covers too.
                    RateCase{
                        "LowQualityDown44100To22050", 44100, 22050, 20001, {0, true, 1000, 0}},
                    RateCase{"LowQualityUp22050To48000", 22050, 48000, 20001, {0, false, 0, 0}}),
    [](const testing::TestParamInfo<RateCase>& info) { return info.param.name; });

// Kelvo's music conversion (ConvertPcm) against the same steps taken with
// Debian's library: each channel's floats made from the frames, resampled
// in one run, stored as the output samples.
TEST(LibresampleBuildConversion, GivesTheBytesDebiansLibraryGives)
{
    const Library* debian = Debian();
    ASSERT_NE(debian, nullptr) << "Debian's libresample.so.1 cannot be loaded: " << dlerror();
    struct Case
    {
        WaveFormat from;
        WaveFormat to;
        int frames;
    } cases[] = {{kProjectFormat, kRingFormat, 88201},
                 {MakePcmFormat(2, 22050, 16), kProjectFormat, 44101},
                 {MakePcmFormat(1, 8000, 8), kProjectFormat, 8001},
                 {MakePcmFormat(1, 48000, 16), MakePcmFormat(1, 11025, 8), 48000}};
    std::mt19937 random(35);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.from.samplesPerSec) + " Hz " +
                     std::to_string(c.from.channels) + " ch -> " +
                     std::to_string(c.to.samplesPerSec) + " Hz " + std::to_string(c.to.channels) +
                     " ch");
        std::vector<uint8_t> source(static_cast<size_t>(c.frames) * c.from.blockAlign);
        for (uint8_t& byte : source)
            byte = static_cast<uint8_t>(random());

        std::vector<uint8_t> converted;
        uint64_t convertedBytes = 0;
        ASSERT_TRUE(ConvertPcm(
            source.data(), source.size(), c.from, c.to, false,
            [&](uint64_t bytes) {
                converted.assign(bytes, 0);
                return converted.data();
            },
            &convertedBytes));
        converted.resize(convertedBytes);

        const double factor = double(c.to.samplesPerSec) / c.from.samplesPerSec;
        const bool mix = c.from.channels == 2 && c.to.channels == 1;
        const int bits = c.from.bitsPerSample;
        std::vector<float> first(c.frames), second(c.frames);
        for (int i = 0; i < c.frames; ++i) {
            const uint8_t* frame = source.data() + size_t(i) * c.from.blockAlign;
            first[i] = FirstChannelInput(frame, bits, mix);
            second[i] = c.from.channels == 2 ? SecondChannelInput(frame, bits) : first[i];
        }
        const std::vector<float> out0 = Resample(*debian, factor, first, {});
        const std::vector<float> out1 = c.to.channels == 2 && c.from.channels == 2
                                            ? Resample(*debian, factor, second, {})
                                            : out0;
        ASSERT_EQ(out1.size(), out0.size());
        std::vector<uint8_t> expected(out0.size() * c.to.blockAlign);
        const int sample = c.to.bitsPerSample / 8;
        for (size_t i = 0; i < out0.size(); ++i) {
            StorePcmOutput(&expected[i * c.to.blockAlign], c.to.bitsPerSample, out0[i]);
            if (c.to.channels == 2)
                StorePcmOutput(&expected[i * c.to.blockAlign + sample], c.to.bitsPerSample,
                               out1[i]);
        }
        ASSERT_EQ(converted.size(), expected.size());
        EXPECT_TRUE(converted == expected);
    }
}

} // namespace
