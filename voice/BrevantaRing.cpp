// The ring audio of the selection: music, voice or both mixed, in a PCM
// format the ring file takes, and its two files. The snapshot and the job's
// claim belong to the GUI thread; the rest runs on any thread, touching no
// widget (progress goes through the injected interface).
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

bool CBrevanta::BeginRingJob()
{
    if (m_ringJob.load() || m_worker.joinable())
        return false;
    bool idle = false;
    if (m_busy && !m_busy->compare_exchange_strong(idle, true))
        return false;
    m_ringJob.store(true);
    return true;
}

void CBrevanta::EndRingJob()
{
    // Only a job's end frees the shared flag: an open holds it otherwise.
    if (m_ringJob.exchange(false) && m_busy)
        m_busy->store(false);
}

RingSnapshot CBrevanta::TakeRingSnapshot(int content) const
{
    RingSnapshot snapshot;
    snapshot.content = content;
    snapshot.selectionStartMs = XToMs(m_selStart);
    snapshot.selectionEndMs = XToMs(m_selEnd);
    snapshot.musicFormat = m_music.GetFormat();
    snapshot.musicIsSilence = m_music.IsSilentDefault();
    snapshot.voiceFormat = m_recordFormat;
    const bool wantsMusic = content == kRingMusic || content == kRingMix;
    const bool wantsVoice = content == kRingVoice || content == kRingMix;
    if (!wantsMusic && !wantsVoice)
        return snapshot;
    if (wantsMusic && !(content == kRingMusic && snapshot.musicIsSilence))
        snapshot.music =
            CopyRange(m_music, MsToBytes(snapshot.selectionStartMs, snapshot.musicFormat),
                      MsToBytes(snapshot.selectionEndMs, snapshot.musicFormat));
    if (wantsVoice && m_voice.HasData()) {
        uint32_t offset = 0;
        uint32_t length = 0;
        GetVoiceRange(&offset, &length);
        if (length > 0)
            snapshot.voice = CopyRange(m_voice, offset, offset + length);
        if (m_selStart < m_voiceBlockX)
            snapshot.voiceOffset = XToBytes(m_voiceBlockX - m_selStart);
    }
    const WaveFormatEx* entry =
        FindWmaFormat(content == kRingVoice ? snapshot.voiceFormat : snapshot.musicFormat);
    if (!entry)
        entry = GetHighestWmaFormat();
    if (entry)
        snapshot.ringFileFormat = *entry;
    return snapshot;
}

std::unique_ptr<WaveData> CBrevanta::BuildRing(int content) const
{
    return BuildRing(TakeRingSnapshot(content));
}

std::unique_ptr<WaveData> CBrevanta::BuildRing(RingSnapshot snapshot)
{
    const WaveFormat& musicFormat = snapshot.musicFormat;
    std::unique_ptr<WaveBuffer> buffer;
    WaveFormat source;
    switch (snapshot.content) {
    case kRingMusic:
        if (snapshot.musicIsSilence || !snapshot.music)
            return nullptr;
        buffer = std::move(snapshot.music);
        source = musicFormat;
        break;
    case kRingVoice:
        if (!snapshot.voice)
            return nullptr;
        buffer = std::move(snapshot.voice);
        source = snapshot.voiceFormat;
        break;
    case kRingMix: {
        if (!snapshot.music)
            return nullptr;
        buffer = std::move(snapshot.music);
        source = musicFormat;
        if (snapshot.voice) {
            std::unique_ptr<WaveBuffer> voice = std::move(snapshot.voice);
            if (!snapshot.voiceFormat.HasSameShape(musicFormat))
                voice = ConvertBuffer(*voice, snapshot.voiceFormat, musicFormat);
            if (!voice)
                return nullptr;
            if (MixInto(*buffer, *voice, musicFormat, snapshot.voiceOffset) != 1)
                return nullptr;
        } else if (snapshot.musicIsSilence) {
            return nullptr;
        }
        break;
    }
    default:
        return nullptr;
    }

    if (!snapshot.ringFileFormat)
        return nullptr;
    const WaveFormatEx& entry = *snapshot.ringFileFormat;
    const WaveFormat target =
        MakePcmFormat(entry.channels, entry.samplesPerSec, entry.bitsPerSample);
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
