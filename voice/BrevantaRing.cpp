// The ring audio of the selection: music, voice or both mixed, in a PCM
// format the ring file takes, and its two files. Any thread: nothing here
// touches a widget, progress goes through the injected interface.
#include "audio/IProgress.h"
#include "audio/PcmMix.h"
#include "audio/RingFiles.h"
#include "voice/Brevanta.h"

#include <algorithm>
#include <cstring>

std::unique_ptr<WaveBuffer> CBrevanta::CopyRange(const WaveData& track, uint32_t from, uint32_t to)
{
    const uint32_t size = track.GetSize();
    to = std::min(to, size);
    if (!track.GetData() || from >= to)
        return nullptr;
    auto copy = std::make_unique<WaveBuffer>(to - from);
    std::memcpy(copy->data.get(), track.GetData() + from, to - from);
    return copy;
}

std::unique_ptr<WaveData> CBrevanta::BuildRing(int content) const
{
    const WaveFormat& musicFormat = m_music.GetFormat();
    const uint32_t musicFrom = MsToBytes(XToMs(m_selStart), musicFormat);
    const uint32_t musicTo = MsToBytes(XToMs(m_selEnd), musicFormat);
    std::unique_ptr<WaveBuffer> buffer;
    WaveFormat source;
    switch (content) {
    case kRingMusic:
        if (m_music.IsSilentDefault())
            return nullptr;
        buffer = CopyRange(m_music, musicFrom, musicTo);
        source = musicFormat;
        break;
    case kRingVoice: {
        if (!m_voice.HasData())
            return nullptr;
        uint32_t offset = 0;
        uint32_t length = 0;
        GetVoiceRange(&offset, &length);
        if (length == 0)
            return nullptr;
        buffer = CopyRange(m_voice, offset, offset + length);
        source = m_recordFormat;
        break;
    }
    case kRingMix: {
        buffer = CopyRange(m_music, musicFrom, musicTo);
        if (!buffer)
            return nullptr;
        source = musicFormat;
        uint32_t offset = 0;
        uint32_t length = 0;
        GetVoiceRange(&offset, &length);
        if (length > 0) {
            std::unique_ptr<WaveBuffer> voice = CopyRange(m_voice, offset, offset + length);
            if (voice && !m_recordFormat.HasSameShape(musicFormat))
                voice = ConvertBuffer(*voice, m_recordFormat, musicFormat);
            if (!voice)
                return nullptr;
            const uint32_t mixOffset =
                m_selStart < m_voiceBlockX ? XToBytes(m_voiceBlockX - m_selStart) : 0;
            if (MixInto(*buffer, *voice, musicFormat, mixOffset) != 1)
                return nullptr;
        } else if (m_music.IsSilentDefault()) {
            return nullptr;
        }
        break;
    }
    default:
        return nullptr;
    }
    if (!buffer)
        return nullptr;

    const WaveFormatEx* entry = FindWmaFormat(source);
    if (!entry)
        entry = GetHighestWmaFormat();
    if (!entry)
        return nullptr;
    const WaveFormat target =
        MakePcmFormat(entry->channels, entry->samplesPerSec, entry->bitsPerSample);
    if (source != target) {
        buffer = ConvertBuffer(*buffer, source, target);
        if (!buffer)
            return nullptr;
    }
    auto ring = std::make_unique<WaveData>();
    ring->SetFormat(target);
    ring->SetBuffer(std::move(buffer));
    return ring;
}

int CBrevanta::MixInto(WaveBuffer& destination, const WaveBuffer& source, const WaveFormat& format,
                       uint32_t offset)
{
    const int bits = format.bitsPerSample;
    if (bits != 8 && bits != 16)
        return 0;
    if (offset >= destination.size)
        return 1;
    const uint32_t count = std::min(destination.size - offset, source.size);
    MixPcm(destination.data.get() + offset, source.data.get(), count, bits);
    return 1;
}

int CBrevanta::ConvertToRingFormat(WaveData* track) const
{
    if (!track)
        return 0;
    if (track->IsSameFormat(m_ringFormat))
        return 1;
    if (!track->HasData())
        return 0;
    // ConvertBuffer reads the bytes through a bare buffer; borrow the track's.
    std::unique_ptr<WaveBuffer> samples = track->TakeBuffer();
    std::unique_ptr<WaveBuffer> converted =
        ConvertBuffer(*samples, track->GetFormat(), m_ringFormat);
    if (!converted) {
        track->SetBuffer(std::move(samples));
        return 0;
    }
    track->SetBuffer(std::move(converted));
    track->SetFormat(m_ringFormat);
    return 1;
}

int CBrevanta::SaveVox(const QString& path, const WaveData* track) const
{
    if (!track || !track->IsSameFormat(m_ringFormat) || !track->HasData())
        return 0;
    return RingFiles::WriteVox(path, track->GetFormat().bitsPerSample, track->GetData(),
                               track->GetSize());
}

int CBrevanta::SaveWma(const QString& path, const WaveData* track) const
{
    if (!track || !track->HasData())
        return 0;
    const WaveFormatEx* format = FindWmaFormat(track->GetFormat());
    return RingFiles::WriteRingFile(path, track->GetFormat(), track->GetData(), track->GetSize(),
                                    format) == S_OK
               ? 1
               : 0;
}

const WaveFormatEx* CBrevanta::FindWmaFormat(const WaveFormat& format) const
{
    return m_wmaFormats.FindByRate(format.samplesPerSec);
}

const WaveFormatEx* CBrevanta::GetHighestWmaFormat() const
{
    return m_wmaFormats.Highest();
}

void CBrevanta::ShowProgress()
{
    if (!m_progress)
        return;
    m_progress->SetCeiling(0);
    m_progress->SetText(QString());
    m_progress->Show();
}

void CBrevanta::SetProgressText(const QString& text)
{
    if (m_progress)
        m_progress->SetText(text);
}

void CBrevanta::SetProgressPos(int percent)
{
    if (m_progress)
        m_progress->SetPercent(percent);
}

void CBrevanta::SetProgressTarget(int percent)
{
    if (m_progress)
        m_progress->SetCeiling(percent);
}

void CBrevanta::FinishProgress()
{
    if (!m_progress)
        return;
    m_progress->SetText(QString());
    m_progress->StageDone();
}
