#pragma once

#include "audio/BlockResampler.h"
#include "audio/WaveFormat.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// The single-pass conversion (ConvertPcm) fed with source frames in blocks:
// one resampler per channel pass, run side by side, so the source is read
// once and only a few blocks of it are in memory at a time. The frames that
// come out are those of the whole-buffer conversion, bit for bit.
class PcmStreamConverter
{
public:
    // Receives count converted frames in the target's format, in order;
    // false stops the conversion.
    using Sink = std::function<bool(const uint8_t* frames, size_t count)>;

    // For frames source frames of from. IsValid is false for what
    // ConvertPcm refuses (target not 8 or 16 bits, frames that cannot hold
    // their samples, no rate, a factor libresample cannot take, too long).
    PcmStreamConverter(const WaveFormat& from, const WaveFormat& target, uint64_t frames);
    ~PcmStreamConverter();
    PcmStreamConverter(const PcmStreamConverter&) = delete;
    PcmStreamConverter& operator=(const PcmStreamConverter&) = delete;

    bool IsValid() const { return m_valid; }
    // The most frames the conversion gives (its output buffer's size).
    int64_t Capacity() const { return m_capacity; }
    // Takes count whole source frames.
    bool Push(const uint8_t* frames, size_t count, const Sink& sink);
    // Ends the source: the last frames go to the sink.
    bool Finish(const Sink& sink);
    // Frames given to the sink so far.
    int64_t OutputFrames() const { return m_emitted; }

private:
    bool Emit(size_t count, const Sink& sink);

    bool m_valid = false;
    WaveFormat m_from;
    WaveFormat m_target;
    bool m_monoReduction = false;
    bool m_secondPass = false;
    bool m_targetStereo = false;
    int64_t m_capacity = 0;
    int64_t m_emitted = 0;
    std::unique_ptr<BlockResampler> m_passes[2];
    std::vector<float> m_input;
    std::vector<float> m_output[2];
    std::vector<uint8_t> m_bytes;
};
