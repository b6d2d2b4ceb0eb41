#pragma once

#include "platform/IAudioOutput.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

// Mixes every attached voice into 44100 Hz 16-bit stereo, each converted from
// its own format and scaled by its volume; the sum is clamped to 16 bits.
// Always open: it needs no device, so tests use it as a clock they advance by
// calling Mix.
//
// Threads: Attach and Detach from the voices' owners; Mix from the output's
// callback (or the test). Mix holds the mixer's lock for one pass (so Detach
// waits for a pass in progress) and never allocates or touches files; besides
// that lock it takes only each voice's lock and, to wake an owner, its event's.
class AudioMixer : public IAudioOutput
{
public:
    static constexpr uint32_t kRate = 44100; // Hz
    static constexpr unsigned kChannels = 2;

    bool Open() override { return true; }
    void Attach(AudioVoice* voice) override;
    void Detach(AudioVoice* voice) override;

    // Writes that many interleaved stereo frames into out, advancing every
    // playing voice by as much; silence when nothing plays.
    void Mix(int16_t* out, size_t frames);

private:
    std::mutex m_mutex;
    std::vector<AudioVoice*> m_voices;
};
