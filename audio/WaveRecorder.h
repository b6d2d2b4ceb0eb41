#pragma once

#include "audio/WaveFormat.h"
#include "platform/AutoResetEvent.h"
#include "platform/ICaptureDevice.h"
#include "platform/SpscByteRing.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

class CWaveDoc;

// Records the sound input into a WAV file for the timeline. The capture
// device's callback only queues what it gets; a worker thread takes it out in
// whole buffers of 100 ms, appends each to the file, adds it to the recorded
// byte count of the clip being recorded and tells the owner. The file starts
// with a 44-byte header whose sizes are placeholders ("RIFF" at offset 4, 0 at
// offset 40) until Stop writes the real ones.
//
// Every write is checked. A failed write, or a next buffer that would take the
// data past what a RIFF header can describe, ends the storing and asks the
// owner to stop; what was stored before stays a valid recording.
//
// Threads: Open, Start, Stop and the destructor on the owner's thread (the GUI
// thread). The notices run on the worker thread and must only post.
class CWaveRecorder : private ICaptureSink
{
public:
    // How a recording ended.
    enum class Result {
        Stored,      // every whole buffer is in the file
        WriteFailed, // a write failed: the file holds what came before it
        Full         // the file reached the size limit: later sound was dropped
    };

    struct Notices
    {
        std::function<void()> bufferDone; // a buffer was stored and counted
        std::function<void()> stopNeeded; // storing ended early; once per recording
    };

    static constexpr uint32_t kHeaderBytes = 44;
    // The most data bytes a RIFF size field (data + 36) can describe.
    static constexpr uint32_t kMaxDataBytes = UINT32_MAX - 36;
    static constexpr int kQueuedBuffers = 16; // what the callback may run ahead

    // maxDataBytes below kMaxDataBytes makes the limit reachable in tests.
    explicit CWaveRecorder(std::unique_ptr<ICaptureDevice> device,
                           uint32_t maxDataBytes = kMaxDataBytes);
    ~CWaveRecorder() override;
    CWaveRecorder(const CWaveRecorder&) = delete;
    CWaveRecorder& operator=(const CWaveRecorder&) = delete;

    // 100 ms of a format in bytes, rounded down to whole frames (17640 for
    // the project format).
    static uint32_t BufferBytesFor(const WaveFormat& format);

    // Opens the device in the format, then creates (or empties) the file at
    // path and writes the header. false when either fails; then nothing is
    // left open.
    bool Open(const WaveFormat& format, const QString& path);
    // Starts the worker and the device. clip's recorded byte count grows by
    // each stored buffer; it must outlive Stop.
    void Start(CWaveDoc* clip, Notices notices);
    // Closes the device, stores the whole buffers that had arrived (a partial
    // one is dropped), waits for the worker, writes the sizes at offsets 40
    // and 4 and closes the file. Stored when nothing runs.
    Result Stop();

    bool IsRunning() const { return m_worker.joinable(); }
    uint32_t GetBufferBytes() const { return m_bufferBytes; }
    // Data bytes in the file; final once Stop has returned.
    uint64_t GetDataBytes() const { return m_dataBytes; }

private:
    void OnCaptured(const uint8_t* data, size_t bytes) override;
    void Work();
    // Worker: stores every whole buffer queued. false once storing has ended.
    bool StoreWholeBuffers();
    void EndStoring(Result why);
    bool CloseFile();

    std::unique_ptr<ICaptureDevice> m_device;
    const uint32_t m_maxDataBytes;
    uint32_t m_bufferBytes = 0;
    int m_fd = -1;
    std::unique_ptr<SpscByteRing> m_ring;
    AutoResetEvent m_dataReady;
    std::vector<uint8_t> m_buffer; // the worker's copy of one buffer
    CWaveDoc* m_clip = nullptr;
    Notices m_notices;
    std::thread m_worker;
    // Worker-only while it runs; the owner reads them after the join.
    uint64_t m_dataBytes = 0;
    Result m_result = Result::Stored;
};
