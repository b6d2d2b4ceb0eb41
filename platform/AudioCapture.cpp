#include "platform/AudioCapture.h"

#include "platform/SdlAudio.h"

#include <SDL.h>

namespace {

// About 46 ms at 44100 Hz: short enough that a stop loses little, long enough
// that the callback wakes rarely.
constexpr Uint16 kCallbackFrames = 2048;

void CaptureCallback(void* userdata, Uint8* stream, int length)
{
    if (length > 0)
        static_cast<ICaptureSink*>(userdata)->OnCaptured(stream, static_cast<size_t>(length));
}

} // namespace

AudioCapture::~AudioCapture()
{
    Close();
}

bool AudioCapture::Open(const CaptureFormat& format, ICaptureSink* sink)
{
    Close();
    if (!sink || (format.bits != 8 && format.bits != 16) || format.channels == 0)
        return false;
    if (!InitSdlAudio())
        return false;
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(format.rate);
    wanted.format = format.bits == 16 ? AUDIO_S16LSB : AUDIO_U8;
    wanted.channels = static_cast<Uint8>(format.channels);
    wanted.samples = kCallbackFrames;
    wanted.callback = CaptureCallback;
    wanted.userdata = sink;
    // No changes allowed: the library converts from whatever the card does.
    SDL_AudioSpec obtained{};
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 1, &wanted, &obtained, 0);
    if (device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    m_device = device;
    return true;
}

void AudioCapture::Start()
{
    if (m_device != 0)
        SDL_PauseAudioDevice(m_device, 0);
}

void AudioCapture::Close()
{
    if (m_device == 0)
        return;
    // Closing waits for the library's capture thread, so the callback is over.
    SDL_CloseAudioDevice(m_device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_device = 0;
}
