#include "audio/WmaFormatList.h"

void CWmaFormatList::Build(const std::vector<WaveFormatEx>& offered)
{
    m_entries.clear();
    for (const WaveFormatEx& format : offered) {
        if (format.channels != 1)
            continue;
        WaveFormatEx* same = nullptr;
        for (WaveFormatEx& entry : m_entries) {
            if (entry.samplesPerSec == format.samplesPerSec &&
                entry.bitsPerSample == format.bitsPerSample)
                same = &entry;
        }
        if (!same) {
            WaveFormatEx entry;
            entry.formatTag = format.formatTag;
            entry.channels = 1;
            entry.samplesPerSec = format.samplesPerSec;
            entry.bitsPerSample = format.bitsPerSample;
            entry.avgBytesPerSec = format.avgBytesPerSec;
            m_entries.push_back(entry);
        } else if (format.avgBytesPerSec > same->avgBytesPerSec) {
            same->avgBytesPerSec = format.avgBytesPerSec;
        }
    }
}

const WaveFormatEx* CWmaFormatList::FindByRate(uint32_t samplesPerSec) const
{
    for (const WaveFormatEx& entry : m_entries) {
        if (entry.samplesPerSec == samplesPerSec)
            return &entry;
    }
    return nullptr;
}

const WaveFormatEx* CWmaFormatList::Highest() const
{
    const WaveFormatEx* highest = nullptr;
    for (const WaveFormatEx& entry : m_entries) {
        if (!highest || entry.samplesPerSec > highest->samplesPerSec)
            highest = &entry;
    }
    return highest;
}
