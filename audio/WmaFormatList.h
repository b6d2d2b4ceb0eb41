#pragma once

#include "audio/WaveFormat.h"

#include <cstdint>
#include <vector>

// The Windows Media formats a ring file can take: one entry per sample rate
// and bit depth among the encoder's mono formats, holding the highest byte
// rate offered for that pair. Built once; read from any thread afterwards.
class CWmaFormatList
{
public:
    // Rebuilds the list from the formats an encoder offers (in their order);
    // formats with other than one channel are skipped.
    void Build(const std::vector<WaveFormatEx>& offered);

    const std::vector<WaveFormatEx>& Entries() const { return m_entries; }
    bool IsEmpty() const { return m_entries.empty(); }
    // The entry with this sample rate, or none.
    const WaveFormatEx* FindByRate(uint32_t samplesPerSec) const;
    // The entry with the highest sample rate (the first of equals), or none.
    const WaveFormatEx* Highest() const;

private:
    std::vector<WaveFormatEx> m_entries;
};
