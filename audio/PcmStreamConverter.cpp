#include "audio/PcmStreamConverter.h"

#include "audio/PcmConvert.h"

#include <algorithm>
#include <climits>

PcmStreamConverter::PcmStreamConverter(const WaveFormat& from, const WaveFormat& target,
                                       uint64_t frames)
    : m_from(from), m_target(target)
{
    const int targetBits = target.bitsPerSample;
    if (targetBits != 8 && targetBits != 16)
        return;
    if (from.blockAlign == 0 || target.blockAlign == 0 || from.samplesPerSec == 0 ||
        target.samplesPerSec == 0 || target.channels == 0)
        return;
    const int sourceBits = from.bitsPerSample;
    const bool sourceStereo = from.channels == 2;
    m_targetStereo = target.channels == 2;
    m_monoReduction = sourceStereo && target.channels == 1;
    m_secondPass = sourceStereo && !m_monoReduction;
    // Frames must hold the samples read from and written to them.
    const uint32_t sourceSample = (sourceBits == 8 || sourceBits == 16) ? sourceBits / 8 : 0;
    if (from.blockAlign < sourceSample * (sourceStereo ? 2 : 1))
        return;
    if (target.blockAlign < uint32_t(targetBits / 8) * (m_targetStereo ? 2 : 1))
        return;
    const double factor =
        static_cast<double>(target.samplesPerSec) / static_cast<double>(from.samplesPerSec);
    if (factor < kMinFactor || factor > kMaxFactor)
        return;
    if (frames > static_cast<uint64_t>(INT_MAX))
        return;
    m_capacity = static_cast<int64_t>(static_cast<double>(frames) * factor) + kOutputSlack;
    // The limits of the whole-buffer conversion, whose int counts these are.
    if (static_cast<int64_t>(frames) + kBufferSlack > INT_MAX ||
        m_capacity + kBufferSlack > INT_MAX)
        return;
    for (int pass = 0; pass < (m_secondPass ? 2 : 1); ++pass) {
        m_passes[pass] = std::make_unique<BlockResampler>(factor, m_capacity);
        if (!m_passes[pass]->IsOpen())
            return;
    }
    m_valid = true;
}

PcmStreamConverter::~PcmStreamConverter() = default;

bool PcmStreamConverter::Push(const uint8_t* frames, size_t count, const Sink& sink)
{
    if (!m_valid)
        return false;
    const uint32_t align = m_from.blockAlign;
    const int bits = m_from.bitsPerSample;
    m_input.resize(count);
    for (int pass = 0; pass < (m_secondPass ? 2 : 1); ++pass) {
        for (size_t i = 0; i < count; ++i) {
            const uint8_t* frame = frames + i * align;
            m_input[i] = pass == 0 ? FirstChannelInput(frame, bits, m_monoReduction)
                                   : SecondChannelInput(frame, bits);
        }
        if (!m_passes[pass]->Push(m_input.data(), count, m_output[pass]))
            return false;
    }
    // Both passes fill at the same steps; a frame goes out once it has both.
    const size_t ready =
        m_secondPass ? std::min(m_output[0].size(), m_output[1].size()) : m_output[0].size();
    return Emit(ready, sink);
}

bool PcmStreamConverter::Finish(const Sink& sink)
{
    if (!m_valid)
        return false;
    for (int pass = 0; pass < (m_secondPass ? 2 : 1); ++pass) {
        if (!m_passes[pass]->Finish(m_output[pass]))
            return false;
    }
    // The frame count is channel 0's; a shorter channel 1 reads zeros there,
    // as the whole-buffer conversion's zeroed output buffer gives.
    if (m_secondPass && m_output[1].size() < m_output[0].size())
        m_output[1].resize(m_output[0].size(), 0.0f);
    return Emit(m_output[0].size(), sink);
}

bool PcmStreamConverter::Emit(size_t count, const Sink& sink)
{
    if (count == 0)
        return true;
    const uint32_t align = m_target.blockAlign;
    const int bits = m_target.bitsPerSample;
    const uint32_t sample = static_cast<uint32_t>(bits / 8);
    // Slots no channel is written to stay zero, as in a new buffer.
    m_bytes.assign(count * align, 0);
    const std::vector<float>& second = m_secondPass ? m_output[1] : m_output[0];
    for (size_t i = 0; i < count; ++i) {
        uint8_t* frame = m_bytes.data() + i * align;
        StorePcmOutput(frame, bits, m_output[0][i]);
        // A mono source fills both slots of a stereo target from channel 0.
        if (m_targetStereo)
            StorePcmOutput(frame + sample, bits, second[i]);
    }
    for (std::vector<float>& output : m_output) {
        if (output.size() >= count)
            output.erase(output.begin(), output.begin() + static_cast<ptrdiff_t>(count));
    }
    m_emitted += static_cast<int64_t>(count);
    return sink(m_bytes.data(), count);
}
