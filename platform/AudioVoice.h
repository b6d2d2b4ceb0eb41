#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

class AutoResetEvent;

// The PCM layout of a voice's ring buffer: unsigned 8-bit or signed 16-bit
// little-endian samples, channels interleaved.
struct AudioVoiceFormat
{
    uint16_t channels = 0; // 1 or 2
    uint32_t rate = 0;     // Hz
    uint16_t bits = 0;     // 8 or 16
};

// One voice of the shared sound output: a ring buffer in its own PCM format
// that plays looped from a play cursor, scaled by a volume. Its owner writes
// the part that play has left behind while the mixer reads ahead; each time the
// cursor passes a notification position the voice sets its owner's event.
// A new voice is stopped, at position 0, at full volume.
//
// Threads: every method may be called from any thread. Each holds the voice's
// lock only for a copy or a flag; the mixer holds it while it mixes this
// voice's share of one pass (a few hundred frames).
class AudioVoice
{
public:
    // Null when the format is not one the mixer converts (1 or 2 channels,
    // 8 or 16 bits, 100 to 384000 Hz) or bytes is 0 or not whole frames.
    static std::unique_ptr<AudioVoice> Create(const AudioVoiceFormat& format, uint32_t bytes);

    AudioVoice(const AudioVoice&) = delete;
    AudioVoice& operator=(const AudioVoice&) = delete;

    const AudioVoiceFormat& GetFormat() const { return m_format; }
    uint32_t GetSize() const { return static_cast<uint32_t>(m_data.size()); } // bytes

    // Byte offsets whose passing sets event. false (and nothing changes) when
    // an offset lies outside the buffer. The event must outlive the voice's
    // time in the mix.
    bool SetNotificationPositions(std::vector<uint32_t> positions, AutoResetEvent* event);
    std::vector<uint32_t> GetNotificationPositions() const;

    // Copies bytes into the buffer at offset. false when the range does not lie
    // inside the buffer.
    bool Write(uint32_t offset, const void* data, uint32_t bytes);

    // Starts looped play from the play cursor.
    void Play();
    // Stops play; the cursor stays where it is.
    void Stop();
    bool IsPlaying() const;

    // Bytes from the buffer's start to the next frame to play.
    uint32_t GetPosition() const;
    // Moves the cursor to the frame holding offset. false when offset lies
    // outside the buffer.
    bool SetPosition(uint32_t offset);

    // Hundredths of a decibel: a gain of 10^(volume / 2000); -10000 and below
    // is silence, 0 and above full scale.
    void SetVolume(int volume);

private:
    friend class AudioMixer;

    AudioVoice(const AudioVoiceFormat& format, uint32_t bytes);

    // Mixer thread: adds frames of this voice, converted to 16-bit stereo at
    // outputRate with linear interpolation, to the interleaved accumulator and
    // advances the cursor. Sets the event when a notification position passes.
    void MixInto(int32_t* accumulator, size_t frames, uint32_t outputRate);
    int32_t SampleAt(uint32_t frame, unsigned channel) const;

    const AudioVoiceFormat m_format;
    const uint32_t m_blockAlign;
    const uint32_t m_frames;
    mutable std::mutex m_mutex;
    std::vector<uint8_t> m_data;
    uint64_t m_position = 0; // frames, 32.32 fixed point
    bool m_playing = false;
    float m_gain = 1.0f;
    std::vector<uint32_t> m_positions;
    AutoResetEvent* m_event = nullptr;
};
