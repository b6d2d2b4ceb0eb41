#include "audio/WaveRecorder.h"

#include "audio/WaveDoc.h"
#include "audio/WaveHeader.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

static_assert(CWaveRecorder::kHeaderBytes == kWaveHeaderSize, "the recording is a plain WAV");

CWaveRecorder::CWaveRecorder(std::unique_ptr<ICaptureDevice> device, uint32_t maxDataBytes)
    : m_device(std::move(device)), m_maxDataBytes(std::min(maxDataBytes, kMaxDataBytes))
{
}

CWaveRecorder::~CWaveRecorder()
{
    Stop();
    if (m_fd >= 0)
        close(m_fd);
}

uint32_t CWaveRecorder::BufferBytesFor(const WaveFormat& format)
{
    const uint32_t bytes = static_cast<uint32_t>(uint64_t{format.avgBytesPerSec} * 100 / 1000);
    return format.blockAlign == 0 ? 0 : bytes - bytes % format.blockAlign;
}

bool CWaveRecorder::Open(const WaveFormat& format, const QString& path)
{
    if (IsRunning() || m_fd >= 0 || !m_device)
        return false;
    m_bufferBytes = BufferBytesFor(format);
    if (m_bufferBytes == 0)
        return false;
    // The queue exists before the device can call into it.
    m_ring = std::make_unique<SpscByteRing>(size_t{m_bufferBytes} * kQueuedBuffers);
    m_buffer.assign(m_bufferBytes, 0);
    CaptureFormat capture;
    capture.channels = format.channels;
    capture.rate = format.samplesPerSec;
    capture.bits = format.bitsPerSample;
    if (!m_device->Open(capture, this))
        return false;

    const QByteArray native = QFile::encodeName(path);
    m_fd = open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
    uint8_t header[kHeaderBytes];
    FillWaveHeader(header, format, 0);
    // Until the stop the RIFF size field holds "RIFF" again and the data size 0.
    std::memcpy(header + kWaveRiffSizeOffset, "RIFF", 4);
    if (m_fd < 0 || !WriteAllAt(m_fd, 0, header, kHeaderBytes)) {
        if (m_fd >= 0)
            close(m_fd);
        m_fd = -1;
        m_device->Close();
        return false;
    }
    return true;
}

void CWaveRecorder::Start(CWaveDoc* clip, Notices notices)
{
    if (m_fd < 0 || IsRunning())
        return;
    m_clip = clip;
    m_notices = std::move(notices);
    m_dataBytes = 0;
    m_result = Result::Stored;
    m_worker = std::thread([this] { Work(); });
    m_device->Start();
}

void CWaveRecorder::OnCaptured(const uint8_t* data, size_t bytes)
{
    // When the worker is too far behind the chunk is dropped whole, so the
    // file keeps whole frames.
    m_ring->Write(data, bytes);
    m_dataReady.Set();
}

void CWaveRecorder::Work()
{
    bool storing = true;
    for (;;) {
        const AutoResetEvent::Wake wake = m_dataReady.Wait();
        // On quit the device is closed already, so this takes the last
        // whole buffers and leaves a partial one behind.
        if (storing)
            storing = StoreWholeBuffers();
        if (wake.quit)
            return;
    }
}

bool CWaveRecorder::StoreWholeBuffers()
{
    while (m_ring->Available() >= m_bufferBytes) {
        if (m_dataBytes + m_bufferBytes > m_maxDataBytes) {
            EndStoring(Result::Full);
            return false;
        }
        m_ring->Read(m_buffer.data(), m_bufferBytes);
        if (!WriteAllAt(m_fd, kHeaderBytes + m_dataBytes, m_buffer.data(), m_bufferBytes)) {
            // Cut off a part that did go in, so the file ends where the count
            // does; should that fail too, the sizes written at the stop still
            // say where the data ends.
            [[maybe_unused]] const int cut =
                ftruncate(m_fd, static_cast<off_t>(kHeaderBytes + m_dataBytes));
            EndStoring(Result::WriteFailed);
            return false;
        }
        m_dataBytes += m_bufferBytes;
        if (m_clip)
            m_clip->AddRecordedBytes(m_bufferBytes);
        if (m_notices.bufferDone)
            m_notices.bufferDone();
    }
    return true;
}

void CWaveRecorder::EndStoring(Result why)
{
    m_result = why;
    if (m_notices.stopNeeded)
        m_notices.stopNeeded();
}

CWaveRecorder::Result CWaveRecorder::Stop()
{
    if (!IsRunning()) {
        if (m_fd >= 0) {
            // Opened but never started: the header alone is a valid recording.
            m_device->Close();
            return CloseFile() ? Result::Stored : Result::WriteFailed;
        }
        return Result::Stored;
    }
    m_device->Close();
    m_dataReady.RequestQuit();
    m_worker.join();
    const bool closed = CloseFile();
    return closed ? m_result : Result::WriteFailed;
}

bool CWaveRecorder::CloseFile()
{
    if (m_fd < 0)
        return true;
    // m_dataBytes never exceeds kMaxDataBytes, so both sizes fit 32 bits.
    const uint32_t data = static_cast<uint32_t>(m_dataBytes);
    uint8_t size[4];
    StoreU32(size, data);
    bool ok = WriteAllAt(m_fd, kWaveDataSizeOffset, size, 4);
    StoreU32(size, data + 36);
    ok = WriteAllAt(m_fd, kWaveRiffSizeOffset, size, 4) && ok;
    ok = close(m_fd) == 0 && ok;
    m_fd = -1;
    return ok;
}
