#include "platform/AudioMixer.h"

#include "platform/AudioVoice.h"

#include <algorithm>

namespace {
// Frames mixed per step: the accumulator lives on the callback's stack.
constexpr size_t kStepFrames = 256;
} // namespace

void AudioMixer::Attach(AudioVoice* voice)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (std::find(m_voices.begin(), m_voices.end(), voice) == m_voices.end())
        m_voices.push_back(voice);
}

void AudioMixer::Detach(AudioVoice* voice)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_voices.erase(std::remove(m_voices.begin(), m_voices.end(), voice), m_voices.end());
}

void AudioMixer::Mix(int16_t* out, size_t frames)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    int32_t accumulator[kStepFrames * kChannels];
    while (frames > 0) {
        const size_t step = std::min(frames, kStepFrames);
        std::fill(accumulator, accumulator + step * kChannels, 0);
        for (AudioVoice* voice : m_voices)
            voice->MixInto(accumulator, step, kRate);
        for (size_t i = 0; i < step * kChannels; ++i)
            out[i] = static_cast<int16_t>(std::clamp<int32_t>(accumulator[i], -32768, 32767));
        out += step * kChannels;
        frames -= step;
    }
}
