#include "platform/AudioVoice.h"

#include "platform/AutoResetEvent.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
constexpr uint64_t kOne = uint64_t(1) << 32; // one frame in 32.32 fixed point
constexpr int kSilentVolume = -10000;        // hundredths of a decibel
} // namespace

std::unique_ptr<AudioVoice> AudioVoice::Create(const AudioVoiceFormat& format, uint32_t bytes)
{
    if (format.channels < 1 || format.channels > 2)
        return nullptr;
    if (format.bits != 8 && format.bits != 16)
        return nullptr;
    if (format.rate < 100 || format.rate > 384000)
        return nullptr;
    const uint32_t blockAlign = format.channels * format.bits / 8u;
    if (bytes == 0 || bytes % blockAlign != 0)
        return nullptr;
    return std::unique_ptr<AudioVoice>(new AudioVoice(format, bytes));
}

AudioVoice::AudioVoice(const AudioVoiceFormat& format, uint32_t bytes)
    : m_format(format), m_blockAlign(format.channels * format.bits / 8u),
      m_frames(bytes / m_blockAlign), m_data(bytes, format.bits == 8 ? 0x80 : 0)
{
}

bool AudioVoice::SetNotificationPositions(std::vector<uint32_t> positions, AutoResetEvent* event)
{
    for (uint32_t position : positions)
        if (position >= m_data.size())
            return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_positions = std::move(positions);
    m_event = event;
    return true;
}

std::vector<uint32_t> AudioVoice::GetNotificationPositions() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_positions;
}

bool AudioVoice::Write(uint32_t offset, const void* data, uint32_t bytes)
{
    if (offset > m_data.size() || bytes > m_data.size() - offset)
        return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (bytes > 0)
        std::memcpy(m_data.data() + offset, data, bytes);
    return true;
}

void AudioVoice::Play()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_playing = true;
}

void AudioVoice::Stop()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_playing = false;
}

bool AudioVoice::IsPlaying() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_playing;
}

uint32_t AudioVoice::GetPosition() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<uint32_t>(m_position >> 32) * m_blockAlign;
}

bool AudioVoice::SetPosition(uint32_t offset)
{
    if (offset >= m_data.size())
        return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_position = uint64_t(offset / m_blockAlign) << 32;
    return true;
}

void AudioVoice::SetVolume(int volume)
{
    float gain = 1.0f;
    if (volume <= kSilentVolume)
        gain = 0.0f;
    else if (volume < 0)
        gain = static_cast<float>(std::pow(10.0, volume / 2000.0));
    std::lock_guard<std::mutex> lock(m_mutex);
    m_gain = gain;
}

int32_t AudioVoice::SampleAt(uint32_t frame, unsigned channel) const
{
    const uint8_t* sample = m_data.data() + size_t(frame) * m_blockAlign;
    if (m_format.bits == 8)
        return (int32_t(sample[channel]) - 128) * 256;
    int16_t value;
    std::memcpy(&value, sample + 2 * channel, 2);
    return value;
}

void AudioVoice::MixInto(int32_t* accumulator, size_t frames, uint32_t outputRate)
{
    AutoResetEvent* notify = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_playing)
            return;
        const uint64_t step = (uint64_t(m_format.rate) << 32) / outputRate;
        const uint64_t end = uint64_t(m_frames) << 32;
        const uint64_t start = m_position;
        const unsigned rightChannel = m_format.channels == 2 ? 1 : 0;
        for (size_t i = 0; i < frames; ++i) {
            const uint32_t frame = static_cast<uint32_t>(m_position >> 32);
            const uint32_t next = frame + 1 == m_frames ? 0 : frame + 1;
            const int64_t fraction = static_cast<int64_t>(m_position & (kOne - 1));
            for (unsigned out = 0; out < 2; ++out) {
                const unsigned channel = out == 0 ? 0 : rightChannel;
                const int64_t a = SampleAt(frame, channel);
                const int64_t b = SampleAt(next, channel);
                const int64_t value = a + (b - a) * fraction / static_cast<int64_t>(kOne);
                accumulator[2 * i + out] +=
                    static_cast<int32_t>(static_cast<float>(value) * m_gain);
            }
            m_position += step;
            if (m_position >= end)
                m_position -= end;
        }
        // A position passed when the cursor went from before it to beyond it.
        const uint64_t size = m_data.size();
        const uint64_t from = (start >> 32) * m_blockAlign;
        const uint64_t moved = (((start + step * frames) >> 32) - (start >> 32)) * m_blockAlign;
        for (uint32_t position : m_positions)
            if (moved >= size || (position + size - from) % size < moved)
                notify = m_event;
    }
    if (notify)
        notify->Set();
}
