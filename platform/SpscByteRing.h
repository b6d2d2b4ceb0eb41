#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

// A fixed-size byte queue between exactly one writing thread and one reading
// thread, without locks. The sound library's callback writes captured bytes;
// a worker reads them. Neither side allocates, blocks or waits after
// construction.
class SpscByteRing
{
public:
    explicit SpscByteRing(size_t capacity); // bytes
    SpscByteRing(const SpscByteRing&) = delete;
    SpscByteRing& operator=(const SpscByteRing&) = delete;

    size_t Capacity() const { return m_data.size(); }

    // Writer thread: appends all bytes, or nothing (false) when they do not fit.
    bool Write(const void* data, size_t bytes);
    // Reader thread: takes exactly bytes into out, or nothing (false) when
    // fewer are queued.
    bool Read(void* out, size_t bytes);
    // Bytes queued; exact on the reader's thread, a lower bound elsewhere.
    size_t Available() const;

private:
    std::vector<uint8_t> m_data;
    // Running byte counts; their difference is what is queued. 64 bits never wrap.
    std::atomic<uint64_t> m_written{0};
    std::atomic<uint64_t> m_read{0};
};
