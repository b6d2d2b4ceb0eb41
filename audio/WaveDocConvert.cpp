#include "audio/WaveDoc.h"

#include "audio/PcmConvert.h"

#include <algorithm>
#include <cstring>

namespace {

int16_t LoadS16(const uint8_t* bytes)
{
    int16_t value;
    std::memcpy(&value, bytes, 2);
    return value;
}

void StoreS16(uint8_t* bytes, int16_t value)
{
    std::memcpy(bytes, &value, 2);
}

} // namespace

std::unique_ptr<CWaveDoc> CWaveDoc::ConvertFormat(const WaveFormat& target) const
{
    if (!m_store || m_format.blockAlign == 0)
        return nullptr;
    const uint64_t sourceBytes = m_store->GetSize() - m_store->GetSize() % m_format.blockAlign;
    CMappedView source;
    if (sourceBytes > 0) {
        source = m_store->MapView(0, sourceBytes);
        if (!source)
            return nullptr;
    }
    auto converted = std::make_unique<CWaveDoc>(m_playerFactory);
    converted->SetFormat(target);
    CMappedView out;
    const auto allocate = [&](uint64_t bytes) -> uint8_t* {
        if (!converted->CreateStore(static_cast<uint32_t>(bytes)))
            return nullptr;
        if (bytes == 0)
            return nullptr;
        out = converted->m_store->MapView(0, bytes);
        return out ? out.data() : nullptr;
    };
    if (!ConvertPcm(source.data(), sourceBytes, m_format, target, true, allocate))
        return nullptr;
    converted->SetStart(m_start);
    return converted;
}

int CWaveDoc::MixFrom(const CWaveDoc& source, uint32_t destOffset, uint32_t sourceOffset,
                      uint32_t count)
{
    if (!IsSameFormat(source.m_format))
        return 0;
    const int bits = m_format.bitsPerSample;
    if ((bits != 8 && bits != 16) || !m_store || !source.m_store)
        return 0;
    const uint32_t destSize = m_store->GetSize();
    const uint32_t sourceSize = source.m_store->GetSize();
    count = std::min(count, destOffset < destSize ? destSize - destOffset : 0);
    count = std::min(count, sourceOffset < sourceSize ? sourceSize - sourceOffset : 0);
    const uint32_t samples = count / (bits / 8);
    if (samples == 0)
        return 1;

    const CMappedView dest = m_store->MapView(destOffset, count);
    const CMappedView from = source.m_store->MapView(sourceOffset, count);
    if (!dest || !from)
        return 0;
    m_peaks.reset();
    if (bits == 16) {
        for (uint32_t i = 0; i < samples; ++i) {
            const int sum = LoadS16(dest.data() + 2 * i) + LoadS16(from.data() + 2 * i);
            StoreS16(dest.data() + 2 * i, static_cast<int16_t>(std::clamp(sum, -32768, 32767)));
        }
    } else {
        for (uint32_t i = 0; i < samples; ++i) {
            const int sum = (dest.data()[i] - 128) + (from.data()[i] - 128);
            dest.data()[i] = static_cast<uint8_t>(std::clamp(sum, -128, 127) + 128);
        }
    }
    return 1;
}
