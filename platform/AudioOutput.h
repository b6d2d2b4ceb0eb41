#pragma once

#include "platform/AudioMixer.h"

#include <cstdint>
#include <mutex>

// The one sound device of the process: 44100 Hz, 2 channels, 16-bit, fed by
// an AudioMixer from the sound library's callback thread. Opened when first
// asked for and kept open until the process ends; a failed open is retried by
// the next Open. The sound library picks its driver from SDL_AUDIODRIVER when
// the device is first opened.
//
// Threads: Open, Attach and Detach from any thread. The callback thread only
// mixes (see AudioMixer).
class AudioOutput : public IAudioOutput
{
public:
    // The process-wide device.
    static AudioOutput& Shared();

    AudioOutput() = default;
    ~AudioOutput() override;
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    bool Open() override;
    void Attach(AudioVoice* voice) override { m_mixer.Attach(voice); }
    void Detach(AudioVoice* voice) override { m_mixer.Detach(voice); }

private:
    AudioMixer m_mixer;
    std::mutex m_openMutex;
    uint32_t m_device = 0; // the sound library's device id; 0 while closed
};
