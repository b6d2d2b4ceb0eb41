#include "audio/WaveDoc.h"

#include <algorithm>
#include <cstring>

CWaveDoc::CWaveDoc(PlayerFactory playerFactory)
    : m_playerFactory(std::move(playerFactory)), m_player(m_playerFactory())
{
    m_player->SetClip(this);
}

CWaveDoc::~CWaveDoc()
{
    // The player's thread must be gone before the store it reads from.
    m_player->Stop();
    m_player.reset();
}

void CWaveDoc::SetFormat(const WaveFormat& format)
{
    m_format = format;
    static_cast<WaveFormat&>(m_playbackFormat) = format;
    m_playbackFormat.extraSize = 18;
}

uint32_t CWaveDoc::GetDuration() const
{
    return DurationOf(m_format, m_recording ? m_recordedBytes.load() : GetDataSize());
}

uint32_t CWaveDoc::DurationOf(const WaveFormat& format, uint64_t bytes)
{
    if (format.avgBytesPerSec == 0)
        return 0;
    // A few bytes a second make durations past 32 bits: the longest one stands for them.
    return static_cast<uint32_t>(
        std::min<uint64_t>(bytes * 1000 / format.avgBytesPerSec, UINT32_MAX));
}

uint32_t CWaveDoc::MsToBytes(uint32_t ms) const
{
    if (m_format.blockAlign == 0)
        return 0;
    const double exact = static_cast<double>(m_format.avgBytesPerSec) * ms / 1000.0;
    const uint64_t bytes = std::min<uint64_t>(static_cast<uint64_t>(exact), UINT32_MAX);
    return static_cast<uint32_t>(bytes - bytes % m_format.blockAlign);
}

uint32_t CWaveDoc::GetDataSize() const
{
    return m_store ? m_store->GetSize() : 0;
}

bool CWaveDoc::HasData() const
{
    return m_recording ? m_recordedBytes.load() > 0 : m_store != nullptr;
}

bool CWaveDoc::CreateStore(uint32_t size)
{
    FreeStore();
    m_store = CMappedTempFile::Create(size);
    return m_store != nullptr;
}

void CWaveDoc::AdoptStore(const WaveFormat& format, std::shared_ptr<CMappedTempFile> store)
{
    FreeStore();
    SetFormat(format);
    m_store = std::move(store);
}

void CWaveDoc::FreeStore()
{
    if (m_store)
        m_player->Stop();
    m_store.reset();
    m_peaks.reset();
    m_readPosition.store(0);
}

int32_t CWaveDoc::Read(void* buffer, uint32_t wanted, uint32_t* got)
{
    if (!m_store)
        return kNotInitialized;
    const uint32_t position = m_readPosition.load();
    const uint32_t size = m_store->GetSize();
    const uint32_t count = position >= size ? 0 : std::min(wanted, size - position);
    if (count > 0) {
        CMappedView view = m_store->MapView(position, count);
        if (!view)
            return kNotInitialized;
        std::memcpy(buffer, view.data(), count);
        m_readPosition.store(position + count);
    }
    if (got)
        *got = count;
    return 0;
}

void CWaveDoc::Play()
{
    m_player->Create(true);
    m_player->Play();
}

int CWaveDoc::PlayAt(uint32_t timelineMs)
{
    if (!m_store || timelineMs < m_start)
        return 0;
    const uint32_t offset = MsToBytes(timelineMs - m_start);
    if (offset > m_store->GetSize())
        return 0;
    m_readPosition.store(offset);
    Play();
    return 1;
}

void CWaveDoc::StopPlayback()
{
    m_player->Stop();
}

bool CWaveDoc::IsPlaying() const
{
    return m_player->IsPlaying();
}

void CWaveDoc::Mute(bool muted)
{
    m_player->Mute(muted);
}

void CWaveDoc::SetVolume(int volume)
{
    m_player->SetVolume(volume);
}

std::unique_ptr<CWaveDoc> CWaveDoc::CopyRange(uint32_t fromMs, uint32_t toMs) const
{
    if (fromMs >= toMs || toMs > GetDuration())
        return nullptr;
    return CopyBytes(MsToBytes(fromMs), MsToBytes(toMs));
}

std::unique_ptr<CWaveDoc> CWaveDoc::Clone() const
{
    return CopyBytes(0, GetDataSize());
}

std::unique_ptr<CWaveDoc> CWaveDoc::ShareSamples() const
{
    auto share = std::make_unique<CWaveDoc>(m_playerFactory);
    share->SetFormat(m_format);
    share->SetRecordedClip(m_recordedClip);
    share->m_start = m_start;
    share->m_store = m_store;
    return share;
}

std::unique_ptr<CWaveDoc> CWaveDoc::CopyBytes(uint32_t from, uint32_t to) const
{
    if (!m_store || from > to || to > m_store->GetSize())
        return nullptr;
    auto copy = std::make_unique<CWaveDoc>(m_playerFactory);
    copy->SetFormat(m_format);
    copy->SetRecordedClip(m_recordedClip);
    const uint32_t count = to - from;
    if (!copy->CreateStore(count))
        return nullptr;
    if (count > 0) {
        CMappedView source = m_store->MapView(from, count);
        CMappedView target = copy->m_store->MapView(0, count);
        if (!source || !target)
            return nullptr;
        std::memcpy(target.data(), source.data(), count);
    }
    return copy;
}

bool CWaveDoc::Overlaps(int64_t fromMs, int64_t toMs) const
{
    const int64_t start = m_start;
    return start < toMs && fromMs < start + static_cast<int64_t>(GetDuration());
}

bool CWaveDoc::IsSameFormat(const WaveFormat& format) const
{
    return m_format.HasSameShape(format);
}
