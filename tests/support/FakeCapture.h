#pragma once

#include "platform/ICaptureDevice.h"

#include <QByteArray>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>

// What a hand-driven sound input was asked, shared by every device one
// factory made.
struct FakeCaptureState
{
    bool refuseOpen = false;
    ICaptureSink* sink = nullptr; // set while open
    CaptureFormat format;
    bool started = false;
    int opens = 0;
    int closes = 0;
};

// A sound input that records nothing: the test plays the device's thread and
// hands the sink bytes with Deliver.
class FakeCapture : public ICaptureDevice
{
public:
    explicit FakeCapture(FakeCaptureState& state) : m_state(state) {}
    ~FakeCapture() override { Close(); }
    bool Open(const CaptureFormat& format, ICaptureSink* sink) override
    {
        if (m_state.refuseOpen)
            return false;
        ++m_state.opens;
        m_state.format = format;
        m_state.sink = sink;
        m_open = true;
        return true;
    }
    void Start() override { m_state.started = m_open; }
    void Close() override
    {
        if (!m_open)
            return;
        m_open = false;
        ++m_state.closes;
        m_state.sink = nullptr;
        m_state.started = false;
    }

private:
    FakeCaptureState& m_state;
    bool m_open = false;
};

inline std::function<std::unique_ptr<ICaptureDevice>()> FakeCaptures(FakeCaptureState& state)
{
    return [&state] { return std::make_unique<FakeCapture>(state); };
}

// Stereo 16-bit frames whose 32 bits hold their own index, from first on.
inline QByteArray RampFrames(uint32_t first, uint32_t count)
{
    QByteArray bytes(static_cast<qsizetype>(count) * 4, '\0');
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t value = first + i;
        std::memcpy(bytes.data() + 4 * i, &value, 4);
    }
    return bytes;
}

// Hands bytes to a started device's sink in chunks of about 46 ms, as the
// sound library does. false when nothing is started.
inline bool Deliver(FakeCaptureState& state, const QByteArray& bytes, qsizetype chunk = 8192)
{
    if (!state.sink || !state.started)
        return false;
    for (qsizetype at = 0; at < bytes.size(); at += chunk) {
        const qsizetype count = std::min(chunk, bytes.size() - at);
        state.sink->OnCaptured(reinterpret_cast<const uint8_t*>(bytes.constData()) + at,
                               static_cast<size_t>(count));
    }
    return true;
}
