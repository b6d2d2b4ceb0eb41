#include "audio/PcmConvert.h"

#include <libresample.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

namespace {

int16_t LoadS16(const uint8_t* bytes)
{
    int16_t value;
    std::memcpy(&value, bytes, 2);
    return value;
}

void StoreS16(uint8_t* bytes, int16_t value)
{
    std::memcpy(bytes, &value, 2);
}

// Runs one channel through a new resampler until it has taken all input and
// given all output; returns the frames produced.
int Resample(double factor, float* input, int inputFrames, float* output, int capacity)
{
    void* resampler = resample_open(1, factor, factor);
    if (!resampler)
        return 0;
    int used = 0;
    int produced = 0;
    for (;;) {
        int consumed = 0;
        const int got = resample_process(resampler, factor, input + used, inputFrames - used, 1,
                                         &consumed, output + produced, capacity - produced);
        if (got < 0)
            break;
        used += consumed;
        produced += got;
        // Stop when nothing more comes out, also when the output is full and
        // input is left (no further call could make progress).
        if (got == 0 && (used >= inputFrames || consumed == 0))
            break;
    }
    resample_close(resampler);
    return produced;
}

} // namespace

float FirstChannelInput(const uint8_t* frame, int bits, bool monoReduction)
{
    if (bits == 16) {
        const int first = LoadS16(frame);
        if (!monoReduction)
            return static_cast<float>(first);
        // The left channel weighs twice the right: stored mixdowns and rings
        // have always sounded this way.
        const int second = LoadS16(frame + 2);
        return static_cast<float>((first + second / 2) / 2.0);
    }
    if (bits == 8)
        return static_cast<float>((frame[0] - 128) * 256);
    return 0.0f;
}

float SecondChannelInput(const uint8_t* frame, int bits)
{
    if (bits == 16)
        return static_cast<float>(LoadS16(frame + 2));
    if (bits == 8)
        return static_cast<float>((frame[1] - 128) * 256);
    return 0.0f;
}

void StorePcmOutput(uint8_t* slot, int bits, float y)
{
    if (bits == 8) {
        const double value = std::trunc(y / 256.0 + 128);
        *slot = static_cast<uint8_t>(std::clamp(value, 0.0, 255.0));
    } else if (y >= 32000) {
        StoreS16(slot, 32000);
    } else if (y <= -32000) {
        StoreS16(slot, -32000);
    } else {
        // The conversion truncates toward zero, as trunc does, without a
        // library call per sample.
        StoreS16(slot, static_cast<int16_t>(static_cast<int>(y)));
    }
}

bool ConvertPcm(const uint8_t* source, uint64_t sourceBytes, const WaveFormat& from,
                const WaveFormat& target, bool cutToBlockAlign, const PcmOutputAllocator& allocate)
{
    const int targetBits = target.bitsPerSample;
    if (targetBits != 8 && targetBits != 16)
        return false;
    if (from.blockAlign == 0 || target.blockAlign == 0 || from.samplesPerSec == 0 ||
        target.samplesPerSec == 0 || target.channels == 0)
        return false;

    const int sourceBits = from.bitsPerSample;
    const bool sourceStereo = from.channels == 2;
    const bool targetStereo = target.channels == 2;
    const bool monoReduction = sourceStereo && target.channels == 1;
    // Frames must hold the samples read from and written to them.
    const uint32_t sourceSample = (sourceBits == 8 || sourceBits == 16) ? sourceBits / 8 : 0;
    if (from.blockAlign < sourceSample * (sourceStereo ? 2 : 1))
        return false;
    const uint32_t targetSample = targetBits / 8;
    if (target.blockAlign < targetSample * (targetStereo ? 2 : 1))
        return false;

    const double factor =
        static_cast<double>(target.samplesPerSec) / static_cast<double>(from.samplesPerSec);
    if (factor < kMinFactor || factor > kMaxFactor)
        return false;
    const int64_t frames = static_cast<int64_t>(sourceBytes / from.blockAlign);
    const int64_t capacity =
        static_cast<int64_t>(static_cast<double>(frames) * factor) + kOutputSlack;
    if (frames + kBufferSlack > INT_MAX || capacity + kBufferSlack > INT_MAX)
        return false;

    std::vector<float> input;
    std::vector<float> output;
    try {
        input.assign(static_cast<size_t>(frames + kBufferSlack), 0.0f);
        output.assign(static_cast<size_t>(capacity + kBufferSlack), 0.0f);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const auto frameAt = [&](int64_t i) { return source + i * from.blockAlign; };

    for (int64_t i = 0; i < frames; ++i)
        input[i] = FirstChannelInput(frameAt(i), sourceBits, monoReduction);
    const int produced = Resample(factor, input.data(), static_cast<int>(frames), output.data(),
                                  static_cast<int>(capacity));

    const int64_t outFrames =
        cutToBlockAlign ? produced - produced % target.blockAlign : int64_t{produced};
    const uint64_t outSize = static_cast<uint64_t>(outFrames) * target.blockAlign;
    if (outSize > UINT32_MAX)
        return false;
    uint8_t* const out = allocate(outSize);
    if (!out && outSize > 0)
        return false;
    const auto slotAt = [&](int64_t i, int slot) {
        return out + i * target.blockAlign + slot * targetSample;
    };

    for (int64_t i = 0; i < outFrames; ++i)
        StorePcmOutput(slotAt(i, 0), targetBits, output[i]);

    if (sourceStereo && !monoReduction) {
        for (int64_t i = 0; i < frames; ++i)
            input[i] = SecondChannelInput(frameAt(i), sourceBits);
        std::fill(output.begin(), output.end(), 0.0f);
        Resample(factor, input.data(), static_cast<int>(frames), output.data(),
                 static_cast<int>(capacity));
    }
    // A mono source fills both slots of a stereo target from channel 0.
    if (targetStereo) {
        for (int64_t i = 0; i < outFrames; ++i)
            StorePcmOutput(slotAt(i, 1), targetBits, output[i]);
    }
    return true;
}
