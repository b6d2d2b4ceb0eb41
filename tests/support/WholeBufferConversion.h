#pragma once

// The conversion as one libresample call per channel over whole-clip float
// buffers: the reference that every block-fed conversion must give bit for
// bit. Kept here as the programs ran it before they fed the resampler in
// blocks.
#include "audio/PcmConvert.h"
#include "audio/WaveFormat.h"

#include <libresample.h>

#include <cstdint>
#include <optional>
#include <vector>

inline int WholeBufferResample(double factor, float* input, int inputFrames, float* output,
                               int capacity)
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
        if (got == 0 && (used >= inputFrames || consumed == 0))
            break;
    }
    resample_close(resampler);
    return produced;
}

// The converted bytes, or none where the conversion refuses the formats.
inline std::optional<std::vector<uint8_t>>
WholeBufferConversion(const uint8_t* source, uint64_t sourceBytes, const WaveFormat& from,
                      const WaveFormat& target, bool cutToBlockAlign)
{
    const int targetBits = target.bitsPerSample;
    if ((targetBits != 8 && targetBits != 16) || from.blockAlign == 0 || target.blockAlign == 0 ||
        from.samplesPerSec == 0 || target.samplesPerSec == 0 || target.channels == 0)
        return std::nullopt;
    const bool sourceStereo = from.channels == 2;
    const bool targetStereo = target.channels == 2;
    const bool monoReduction = sourceStereo && target.channels == 1;
    const double factor = double(target.samplesPerSec) / double(from.samplesPerSec);
    const int64_t frames = int64_t(sourceBytes / from.blockAlign);
    const int64_t capacity = int64_t(double(frames) * factor) + kOutputSlack;
    std::vector<float> input(size_t(frames + kBufferSlack), 0.0f);
    std::vector<float> output(size_t(capacity + kBufferSlack), 0.0f);
    const auto frameAt = [&](int64_t i) { return source + i * from.blockAlign; };
    for (int64_t i = 0; i < frames; ++i)
        input[i] = FirstChannelInput(frameAt(i), from.bitsPerSample, monoReduction);
    const int produced =
        WholeBufferResample(factor, input.data(), int(frames), output.data(), int(capacity));
    const int64_t outFrames = cutToBlockAlign ? produced - produced % target.blockAlign : produced;
    std::vector<uint8_t> out(size_t(outFrames * target.blockAlign), 0);
    const uint32_t sample = targetBits / 8;
    for (int64_t i = 0; i < outFrames; ++i)
        StorePcmOutput(out.data() + i * target.blockAlign, targetBits, output[i]);
    if (sourceStereo && !monoReduction) {
        for (int64_t i = 0; i < frames; ++i)
            input[i] = SecondChannelInput(frameAt(i), from.bitsPerSample);
        std::fill(output.begin(), output.end(), 0.0f);
        WholeBufferResample(factor, input.data(), int(frames), output.data(), int(capacity));
    }
    if (targetStereo) {
        for (int64_t i = 0; i < outFrames; ++i)
            StorePcmOutput(out.data() + i * target.blockAlign + sample, targetBits, output[i]);
    }
    return out;
}
