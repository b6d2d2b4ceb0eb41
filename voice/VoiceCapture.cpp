#include "voice/VoiceCapture.h"

#include <algorithm>
#include <cstring>

void CVoiceCapture::Reset(uint8_t* block, uint32_t capacity, uint32_t chunkBytes)
{
    m_block = block;
    m_capacity = capacity;
    m_chunk = chunkBytes;
    m_pending = 0;
    m_fill.store(0, std::memory_order_release);
    m_full.store(chunkBytes == 0 || capacity < chunkBytes, std::memory_order_release);
}

void CVoiceCapture::OnCaptured(const uint8_t* data, size_t bytes)
{
    while (bytes > 0 && !m_full.load(std::memory_order_relaxed)) {
        const uint32_t fill = m_fill.load(std::memory_order_relaxed);
        if (uint64_t{fill} + m_chunk > m_capacity) {
            m_full.store(true, std::memory_order_release);
            return;
        }
        // The chunk is gathered in place behind the fill; nobody reads there
        // until the fill has passed it.
        const uint32_t n = static_cast<uint32_t>(std::min<size_t>(bytes, m_chunk - m_pending));
        std::memcpy(m_block + fill + m_pending, data, n);
        data += n;
        bytes -= n;
        m_pending += n;
        if (m_pending == m_chunk) {
            m_pending = 0;
            m_fill.store(fill + m_chunk, std::memory_order_release);
            if (uint64_t{fill} + 2 * uint64_t{m_chunk} > m_capacity)
                m_full.store(true, std::memory_order_release);
        }
    }
}
