#pragma once

#include "audio/WaveFormat.h"

#include <cstdint>

// What a player reads from. Read runs on the player's own thread while the GUI
// thread may move the read position; implementations keep that position atomic.
class ISampleSource
{
public:
    virtual ~ISampleSource() = default;

    virtual const WaveFormatEx& GetPlaybackFormat() const = 0;
    virtual uint32_t GetReadPosition() const = 0; // bytes
    virtual uint32_t GetDataSize() const = 0;     // bytes
    // Copies up to wanted bytes from the read position and advances it.
    // Returns 0, or kNotInitialized when there is nothing to read from.
    virtual int32_t Read(void* buffer, uint32_t wanted, uint32_t* got) = 0;
    // The player reports how many bytes have been heard so far.
    virtual void SetPlayedPosition(uint32_t /*bytes*/) {}
};

// The status Read returns for a source without samples.
constexpr int32_t kNotInitialized = static_cast<int32_t>(0x800401F0u);
