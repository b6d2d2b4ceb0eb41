#include "audio/WaveRecorder.h"

#include "audio/WaveDoc.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

void StoreU16(uint8_t* bytes, uint16_t value)
{
    bytes[0] = static_cast<uint8_t>(value);
    bytes[1] = static_cast<uint8_t>(value >> 8);
}

void StoreU32(uint8_t* bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

// Writes all bytes at offset; false on any error (a full disk, a file size
// limit), even after part of them went in.
bool WriteAllAt(int fd, uint64_t offset, const uint8_t* data, size_t count)
{
    while (count > 0) {
        const ssize_t done = pwrite(fd, data, count, static_cast<off_t>(offset));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        data += done;
        offset += static_cast<uint64_t>(done);
        count -= static_cast<size_t>(done);
    }
    return true;
}

} // namespace

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
    // Until the stop the RIFF size field holds "RIFF" again and the data size 0.
    std::memcpy(header, "RIFFRIFFWAVEfmt ", 16);
    StoreU32(header + 16, 16);
    StoreU16(header + 20, format.formatTag);
    StoreU16(header + 22, format.channels);
    StoreU32(header + 24, format.samplesPerSec);
    StoreU32(header + 28, format.avgBytesPerSec);
    StoreU16(header + 32, format.blockAlign);
    StoreU16(header + 34, format.bitsPerSample);
    std::memcpy(header + 36, "data", 4);
    StoreU32(header + 40, 0);
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
    bool ok = WriteAllAt(m_fd, 40, size, 4);
    StoreU32(size, data + 36);
    ok = WriteAllAt(m_fd, 4, size, 4) && ok;
    ok = close(m_fd) == 0 && ok;
    m_fd = -1;
    return ok;
}
