#pragma once

#include <cstddef>
#include <cstdint>

// Linear PCM as a capture device delivers it: signed 16-bit little-endian (or
// unsigned 8-bit) samples, channels interleaved.
struct CaptureFormat
{
    uint16_t channels = 0; // 1 or 2
    uint32_t rate = 0;     // Hz
    uint16_t bits = 0;     // 8 or 16
};

// Receives what a capture device records. Called on the device's own thread,
// never on the thread that opened it: it must return quickly and must not
// block, allocate, emit signals or touch files.
class ICaptureSink
{
public:
    virtual ~ICaptureSink() = default;
    // bytes is a whole number of frames in the format the device was opened with.
    virtual void OnCaptured(const uint8_t* data, size_t bytes) = 0;
};

// The sound card's input. The programs use AudioCapture; tests drive a fake
// by hand. Open, Start and Close are called on one thread (the GUI thread).
class ICaptureDevice
{
public:
    virtual ~ICaptureDevice() = default;

    // Opens the device in exactly this format, stopped. false when no device
    // can be opened or it does not take the format. The sink must stay alive
    // until Close returns.
    virtual bool Open(const CaptureFormat& format, ICaptureSink* sink) = 0;
    // Starts delivering to the sink.
    virtual void Start() = 0;
    // Stops and closes the device. When it returns the sink is not called
    // again. Does nothing when the device is not open.
    virtual void Close() = 0;
};
