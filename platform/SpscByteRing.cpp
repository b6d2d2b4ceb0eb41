#include "platform/SpscByteRing.h"

#include <algorithm>
#include <cstring>

SpscByteRing::SpscByteRing(size_t capacity) : m_data(capacity) {}

bool SpscByteRing::Write(const void* data, size_t bytes)
{
    if (bytes == 0)
        return true;
    const uint64_t written = m_written.load(std::memory_order_relaxed);
    const uint64_t read = m_read.load(std::memory_order_acquire);
    if (bytes > m_data.size() - static_cast<size_t>(written - read))
        return false;
    const size_t at = static_cast<size_t>(written % m_data.size());
    const size_t first = std::min(bytes, m_data.size() - at);
    const auto* in = static_cast<const uint8_t*>(data);
    std::memcpy(m_data.data() + at, in, first);
    std::memcpy(m_data.data(), in + first, bytes - first);
    m_written.store(written + bytes, std::memory_order_release);
    return true;
}

bool SpscByteRing::Read(void* out, size_t bytes)
{
    if (bytes == 0)
        return true;
    const uint64_t read = m_read.load(std::memory_order_relaxed);
    const uint64_t written = m_written.load(std::memory_order_acquire);
    if (bytes > written - read)
        return false;
    const size_t at = static_cast<size_t>(read % m_data.size());
    const size_t first = std::min(bytes, m_data.size() - at);
    auto* target = static_cast<uint8_t*>(out);
    std::memcpy(target, m_data.data() + at, first);
    std::memcpy(target + first, m_data.data(), bytes - first);
    m_read.store(read + bytes, std::memory_order_release);
    return true;
}

size_t SpscByteRing::Available() const
{
    return static_cast<size_t>(m_written.load(std::memory_order_acquire) -
                               m_read.load(std::memory_order_acquire));
}
