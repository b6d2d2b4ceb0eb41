#include "voice/WaveData.h"

#include "audio/G711.h"
#include "audio/PcmConvert.h"
#include "audio/WaveDataReader.h"
#include "audio/WaveFileWalk.h"
#include "audio/WaveHeader.h"
#include "platform/IMessageSink.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace {

constexpr char kNotWaveMessage[] = "this file is not wave file!";
constexpr uint32_t kSilenceMs = 360000;
constexpr uint8_t kSilence8Bit = 128;
constexpr uint16_t kExtendedSize = 18;

std::unique_ptr<WaveBuffer> NewBuffer(uint64_t bytes)
{
    if (bytes > UINT32_MAX)
        return nullptr;
    try {
        return std::make_unique<WaveBuffer>(static_cast<uint32_t>(bytes));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace

int32_t WaveData::Read(void* destination, uint32_t count, uint32_t* got)
{
    if (!m_buffer)
        return kNotInitialized;
    const uint32_t position = std::min(m_readPosition.load(), m_buffer->size);
    const uint32_t n = std::min(count, m_buffer->size - position);
    if (n > 0)
        std::memcpy(destination, m_buffer->data.get() + position, n);
    m_readPosition.store(position + n);
    if (got)
        *got = n;
    return 0;
}

int WaveData::Rewind()
{
    m_readPosition.store(0);
    return 0;
}

void WaveData::SetFormat(const WaveFormat& format)
{
    m_format = format;
    static_cast<WaveFormat&>(m_formatEx) = format;
    m_formatEx.extraSize = kExtendedSize;
}

void WaveData::SetBuffer(std::unique_ptr<WaveBuffer> buffer)
{
    m_buffer = std::move(buffer);
    m_readPosition.store(0);
    m_silentDefault = false;
}

void WaveData::Free()
{
    m_buffer.reset();
    m_readPosition.store(0);
}

std::unique_ptr<WaveBuffer> WaveData::TakeBuffer()
{
    m_readPosition.store(0);
    m_silentDefault = false;
    return std::move(m_buffer);
}

uint32_t WaveData::GetLengthMs() const
{
    return m_buffer ? LengthOf(m_format, m_buffer->size) : 0;
}

uint32_t WaveData::LengthOf(const WaveFormat& format, uint64_t bytes)
{
    if (format.avgBytesPerSec == 0)
        return 0;
    // Counted from the bytes exactly: whole bytes per ms (88 for 88.2) would
    // make a 44.1 kHz track 0.2 % longer than it plays. A few bytes a second
    // make lengths past 32 bits: the longest one stands for them.
    return static_cast<uint32_t>(
        std::min<uint64_t>(bytes * 1000 / format.avgBytesPerSec, UINT32_MAX));
}

uint32_t WaveData::MsToBytes(uint32_t ms) const
{
    const double exact = m_format.avgBytesPerSec / 1000.0 * ms;
    const uint32_t bytes = exact >= UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(exact);
    return m_format.blockAlign == 0 ? bytes : bytes - bytes % m_format.blockAlign;
}

bool WaveData::IsSameFormat(const WaveFormat& format) const
{
    return m_format.HasSameShape(format);
}

void WaveData::MakeSilence()
{
    SetFormat(MakePcmFormat(1, 8000, 8));
    Free();
    m_silentDefault = true;
    auto buffer = std::make_unique<WaveBuffer>(MsToBytes(kSilenceMs));
    std::memset(buffer->data.get(), kSilence8Bit, buffer->size);
    m_buffer = std::move(buffer);
}

int WaveData::ReadWaveFile(const QString& path, IMessageSink* messages,
                           std::optional<WaveFormat>* tooLong)
{
    const auto readData = [this, tooLong](const WaveFormat& format, int fd, uint64_t offset,
                                          uint32_t size) {
        const bool g711 =
            format.formatTag == kWaveFormatAlaw || format.formatTag == kWaveFormatMulaw;
        if (uint64_t{size} * (g711 ? 2 : 1) > kMaxSampleBytes) {
            if (tooLong) {
                WaveFormat expanded;
                *tooLong = g711 && ExpandedG711Format(format, expanded) ? expanded : format;
            }
            return false;
        }
        SetFormat(format);
        Free();
        std::unique_ptr<WaveBuffer> buffer = NewBuffer(size);
        if (!buffer || !ReadAllAt(fd, offset, buffer->data.get(), size))
            return false;
        m_buffer = std::move(buffer);
        m_silentDefault = false;
        if (!ExpandG711()) {
            Free();
            return false;
        }
        return true;
    };
    const WaveWalkStatus status = WalkWaveFile(path, readData);
    if (status == WaveWalkStatus::kNotRiff && messages)
        messages->ShowMessage(QString::fromLatin1(kNotWaveMessage));
    return status == WaveWalkStatus::kOk ? 1 : 0;
}

int WaveData::ExpandG711()
{
    const uint16_t tag = m_format.formatTag;
    if (tag == kWaveFormatPcm)
        return 1;
    if (tag != kWaveFormatAlaw && tag != kWaveFormatMulaw)
        return 0;
    WaveFormat expanded;
    if (!ExpandedG711Format(m_format, expanded))
        return 0;
    if (m_buffer) {
        std::unique_ptr<WaveBuffer> samples = NewBuffer(uint64_t{m_buffer->size} * 2);
        if (!samples)
            return 0;
        ::ExpandG711(tag, m_buffer->data.get(), m_buffer->size, samples->data.get());
        m_buffer = std::move(samples);
    }
    SetFormat(expanded);
    m_readPosition.store(0);
    return 1;
}

namespace {

std::unique_ptr<WaveBuffer> Convert(const uint8_t* data, uint32_t size, const WaveFormat& source,
                                    const WaveFormat& target, bool cutToBlockAlign)
{
    std::unique_ptr<WaveBuffer> result;
    const auto allocate = [&result](uint64_t bytes) -> uint8_t* {
        result = NewBuffer(bytes);
        return result ? result->data.get() : nullptr;
    };
    uint64_t bytes = 0;
    if (!ConvertPcm(data, size, source, target, cutToBlockAlign, allocate, &bytes) || !result)
        return nullptr;
    result->size = static_cast<uint32_t>(bytes);
    return result;
}

} // namespace

int WaveData::ReadConverted(const WaveDataReader& reader, const WaveFormat& target)
{
    if (!reader.HasData() || reader.GetSize() > kMaxSampleBytes)
        return 0;
    const uint32_t size = static_cast<uint32_t>(reader.GetSize());
    const WaveFormat& source = reader.GetFormat();
    std::unique_ptr<WaveBuffer> buffer;
    if (source.HasSameShape(target)) {
        buffer = NewBuffer(size);
        if (!buffer || !reader.ReadAt(0, buffer->data.get(), size))
            return 0;
    } else {
        const auto read = [&reader](uint64_t offset, void* into, uint64_t length) {
            return reader.ReadAt(offset, into, length);
        };
        const auto allocate = [&buffer](uint64_t bytes) -> uint8_t* {
            buffer = NewBuffer(bytes);
            return buffer ? buffer->data.get() : nullptr;
        };
        uint64_t bytes = 0;
        if (!ConvertPcm(read, size, source, target, false, allocate, &bytes) || !buffer)
            return 0;
        buffer->size = static_cast<uint32_t>(bytes);
    }
    SetFormat(source.HasSameShape(target) ? source : target);
    SetBuffer(std::move(buffer));
    return 1;
}

std::unique_ptr<WaveData> WaveData::ConvertFormat(const WaveFormat& target) const
{
    if (!m_buffer)
        return nullptr;
    std::unique_ptr<WaveBuffer> buffer =
        Convert(m_buffer->data.get(), m_buffer->size, m_format, target, true);
    if (!buffer)
        return nullptr;
    auto converted = std::make_unique<WaveData>();
    converted->SetFormat(target);
    converted->m_buffer = std::move(buffer);
    return converted;
}

std::unique_ptr<WaveBuffer> ConvertBuffer(const WaveBuffer& buffer, const WaveFormat& source,
                                          const WaveFormat& target)
{
    return Convert(buffer.data.get(), buffer.size, source, target, false);
}
