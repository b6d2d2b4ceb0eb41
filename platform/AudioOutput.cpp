#include "platform/AudioOutput.h"

#include "platform/SdlAudio.h"

#include <SDL.h>

namespace {
void MixCallback(void* userdata, Uint8* stream, int length)
{
    const size_t frames = static_cast<size_t>(length) / (AudioMixer::kChannels * 2);
    static_cast<AudioMixer*>(userdata)->Mix(reinterpret_cast<int16_t*>(stream), frames);
}
} // namespace

AudioOutput& AudioOutput::Shared()
{
    static AudioOutput output;
    return output;
}

AudioOutput::~AudioOutput()
{
    if (m_device != 0) {
        SDL_CloseAudioDevice(m_device);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

bool AudioOutput::Open()
{
    std::lock_guard<std::mutex> lock(m_openMutex);
    if (m_device != 0)
        return true;
    if (!InitSdlAudio())
        return false;
    SDL_AudioSpec wanted{};
    wanted.freq = AudioMixer::kRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = AudioMixer::kChannels;
    wanted.samples = 1024; // 23 ms per callback, well inside a 62.5 ms block
    wanted.callback = MixCallback;
    wanted.userdata = &m_mixer;
    // No format changes allowed: the library converts if the hardware differs.
    SDL_AudioSpec obtained{};
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    m_device = device;
    SDL_PauseAudioDevice(device, 0);
    return true;
}
