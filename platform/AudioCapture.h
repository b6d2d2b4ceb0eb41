#pragma once

#include "platform/ICaptureDevice.h"

#include <cstdint>

// The default sound input through the sound library, opened anew for each
// recording. The library converts when the hardware's format differs, so the
// sink always gets the format asked for. The library picks its driver from
// SDL_AUDIODRIVER the first time the process uses audio.
//
// Threads: Open, Start, Close and the destructor on one thread; the sink is
// called on the library's capture thread.
class AudioCapture : public ICaptureDevice
{
public:
    AudioCapture() = default;
    ~AudioCapture() override;
    AudioCapture(const AudioCapture&) = delete;
    AudioCapture& operator=(const AudioCapture&) = delete;

    bool Open(const CaptureFormat& format, ICaptureSink* sink) override;
    void Start() override;
    void Close() override;

private:
    uint32_t m_device = 0; // the sound library's device id; 0 while closed
};
