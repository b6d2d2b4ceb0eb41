#include "audio/PcmConvert.h"

#include "audio/PcmStreamConverter.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

namespace {

// Source bytes read and converted at a time.
constexpr uint64_t kReadBlockBytes = 256 * 1024;

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

bool ConvertPcm(const PcmSourceReader& read, uint64_t sourceBytes, const WaveFormat& from,
                const WaveFormat& target, bool cutToBlockAlign, const PcmOutputAllocator& allocate,
                uint64_t* outBytes)
{
    if (from.blockAlign == 0)
        return false;
    const uint64_t frames = sourceBytes / from.blockAlign;
    PcmStreamConverter converter(from, target, frames);
    if (!converter.IsValid())
        return false;
    const uint64_t room = static_cast<uint64_t>(converter.Capacity()) * target.blockAlign;
    uint8_t* const out = allocate(room);
    if (!out && room > 0)
        return false;
    uint64_t written = 0;
    const auto sink = [&](const uint8_t* bytes, size_t count) {
        const uint64_t length = uint64_t{count} * target.blockAlign;
        if (length > room - written)
            return false;
        std::memcpy(out + written, bytes, length);
        written += length;
        return true;
    };

    const uint64_t blockFrames = std::max<uint64_t>(1, kReadBlockBytes / from.blockAlign);
    std::vector<uint8_t> block;
    try {
        block.resize(static_cast<size_t>(std::min(blockFrames, frames) * from.blockAlign));
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (uint64_t done = 0; done < frames;) {
        const uint64_t count = std::min(blockFrames, frames - done);
        if (!read(done * from.blockAlign, block.data(), count * from.blockAlign) ||
            !converter.Push(block.data(), static_cast<size_t>(count), sink))
            return false;
        done += count;
    }
    if (!converter.Finish(sink))
        return false;

    const int64_t produced = converter.OutputFrames();
    const int64_t outFrames = cutToBlockAlign ? produced - produced % target.blockAlign : produced;
    const uint64_t outSize = static_cast<uint64_t>(outFrames) * target.blockAlign;
    if (outSize > UINT32_MAX)
        return false;
    // The frames cut off go back to zero, as in a buffer of the cut size.
    if (written > outSize)
        std::memset(out + outSize, 0, written - outSize);
    *outBytes = outSize;
    return true;
}

bool ConvertPcm(const uint8_t* source, uint64_t sourceBytes, const WaveFormat& from,
                const WaveFormat& target, bool cutToBlockAlign, const PcmOutputAllocator& allocate,
                uint64_t* outBytes)
{
    const auto read = [source, sourceBytes](uint64_t offset, void* buffer, uint64_t length) {
        if (offset > sourceBytes || length > sourceBytes - offset)
            return false;
        std::memcpy(buffer, source + offset, length);
        return true;
    };
    return ConvertPcm(read, sourceBytes, from, target, cutToBlockAlign, allocate, outBytes);
}
