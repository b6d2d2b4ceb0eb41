#pragma once

#include "platform/ICaptureDevice.h"

#include <atomic>
#include <cstdint>

// Takes what the sound input delivers into a block that is allocated before
// the recording starts, in whole chunks: the fill only ever grows by a whole
// chunk, and a chunk that would not fit in the block is never placed. Once
// one does not fit the block counts as full and the rest of the input is
// dropped; the owner notices on its own thread and stops the device there.
//
// Threads: Reset and the readers on the owner's thread; OnCaptured on the
// device's thread. The bytes below GetFill are complete once it is read.
class CVoiceCapture : public ICaptureSink
{
public:
    // block (capacity bytes) must outlive the recording; chunkBytes > 0.
    void Reset(uint8_t* block, uint32_t capacity, uint32_t chunkBytes);

    uint32_t GetFill() const { return m_fill.load(std::memory_order_acquire); }
    bool IsFull() const { return m_full.load(std::memory_order_acquire); }

    void OnCaptured(const uint8_t* data, size_t bytes) override;

private:
    uint8_t* m_block = nullptr;
    uint32_t m_capacity = 0;
    uint32_t m_chunk = 0;
    uint32_t m_pending = 0; // bytes of the chunk being gathered (device thread)
    std::atomic<uint32_t> m_fill{0};
    std::atomic<bool> m_full{false};
};
