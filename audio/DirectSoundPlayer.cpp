#include "audio/DirectSoundPlayer.h"

#include "audio/ISampleSource.h"
#include "audio/WaveFormat.h"
#include "platform/AudioVoice.h"
#include "platform/AutoResetEvent.h"
#include "platform/IAudioOutput.h"

#include <algorithm>
#include <cstring>
#include <system_error>

namespace {
constexpr int kSilentVolume = -10000; // hundredths of a decibel
} // namespace

CDirectSoundPlayer::CDirectSoundPlayer(IAudioOutput& output)
    : m_output(output), m_log(QStringLiteral("DirectSoundPlayer.txt"))
{
}

CDirectSoundPlayer::~CDirectSoundPlayer()
{
    EndThread();
    ReleaseVoice();
}

void CDirectSoundPlayer::SetClip(ISampleSource* source)
{
    std::lock_guard<std::mutex> lock(m_refillMutex);
    m_source = source;
}

// globalFocus needs nothing here: every voice of the shared output is heard
// whichever window has the focus.
int CDirectSoundPlayer::Create(bool /*globalFocus*/)
{
    m_endReached = false;
    m_played = 0;
    m_lastPlayCursor = 0;
    m_writeCursor = 0;
    // The old voice goes away below, so nothing plays any more.
    m_playing = false;
    EndThread();
    ReleaseVoice();

    if (!m_output.Open()) {
        m_log.Write("创建m_pDirectSound失败\n");
        return 0;
    }

    const WaveFormatEx format = m_source ? m_source->GetPlaybackFormat() : WaveFormatEx{};
    const uint64_t align = format.blockAlign;
    uint64_t block = uint64_t(format.samplesPerSec) * m_seconds * align / m_blockCount;
    if (align > 0)
        block -= block % align;
    std::unique_ptr<AudioVoice> voice;
    if (format.formatTag == kWaveFormatPcm &&
        align == format.channels * format.bitsPerSample / 8u &&
        block * m_blockCount <= UINT32_MAX) {
        m_blockSize = static_cast<uint32_t>(block);
        m_bufferSize = m_blockSize * m_blockCount;
        voice = AudioVoice::Create({format.channels, format.samplesPerSec, format.bitsPerSample},
                                   m_bufferSize);
    }
    if (!voice) {
        m_log.Write("创建m_pDSBuffer失败\n");
        return 0;
    }

    auto event = std::make_unique<AutoResetEvent>();
    std::vector<uint32_t> positions;
    for (int i = 0; i < m_blockCount; ++i)
        positions.push_back(m_bufferSize / m_blockCount * (i + 1) - 1);
    if (!voice->SetNotificationPositions(positions, event.get())) {
        m_log.Write("SetNotificationPositions失败\n");
        return 0;
    }

    m_silence = format.bitsPerSample == 8 ? 0x80 : 0;
    m_scratch.assign(m_bufferSize, m_silence);
    m_event = std::move(event);
    m_voice = std::move(voice);
    m_output.Attach(m_voice.get());
    try {
        m_thread = std::thread(&CDirectSoundPlayer::NotificationThread, this, m_event.get());
    } catch (const std::system_error&) {
        ReleaseVoice();
        return 0;
    }
    return 1;
}

int CDirectSoundPlayer::Play()
{
    std::lock_guard<std::mutex> lock(m_refillMutex);
    if (!m_voice || !m_source) {
        m_playing = false;
        return 0;
    }
    m_endReached = false;
    m_writeCursor = 0;
    m_voice->Stop();
    m_voice->SetPosition(0);
    m_played = m_source->GetReadPosition();
    m_lastPlayCursor = 0;

    ReadSource(m_scratch.data(), m_bufferSize);
    if (!m_voice->Write(0, m_scratch.data(), m_bufferSize)) {
        m_log.Write("PlayBuffer(),Lock失败\n");
        m_playing = false;
        return 0;
    }
    m_voice->SetVolume(m_muted ? kSilentVolume : m_volume.load());
    m_voice->Play();
    m_playing = true;
    return 1;
}

int CDirectSoundPlayer::Stop()
{
    std::lock_guard<std::mutex> lock(m_refillMutex);
    if (!m_voice)
        return 0;
    m_played = 0;
    m_lastPlayCursor = 0;
    m_endReached = false;
    m_playing = false;
    m_writeCursor = 0;
    m_voice->Stop();
    m_voice->SetPosition(0);
    return 1;
}

void CDirectSoundPlayer::Mute(bool muted)
{
    m_muted = muted;
    if (m_voice)
        m_voice->SetVolume(muted ? kSilentVolume : m_volume.load());
}

void CDirectSoundPlayer::SetVolume(int volume)
{
    m_volume = volume;
    if (m_voice && !m_muted)
        m_voice->SetVolume(volume);
}

void CDirectSoundPlayer::NotificationThread(AutoResetEvent* event)
{
    for (;;) {
        const AutoResetEvent::Wake wake = event->Wait();
        if (wake.signalled && !RefillPlayedBlocks())
            return;
        if (wake.quit)
            return;
    }
}

bool CDirectSoundPlayer::RefillPlayedBlocks()
{
    std::lock_guard<std::mutex> lock(m_refillMutex);
    // Normally play has left exactly one block. A late wake (two block ends,
    // one wake) catches up rather than replay a block of a second ago; a wake
    // left over from before Stop or Play finds play still in the write block.
    while (m_source && m_voice->IsPlaying() &&
           m_voice->GetPosition() / m_blockSize != m_writeCursor / m_blockSize) {
        if (!RefillBlock())
            return false;
    }
    return true;
}

bool CDirectSoundPlayer::RefillBlock()
{
    uint8_t* block = m_scratch.data();
    if (m_endReached) {
        std::memset(block, m_silence, m_blockSize);
    } else if (ReadSource(block, m_blockSize) < m_blockSize) {
        m_endReached = true;
    }
    if (!m_voice->Write(m_writeCursor, block, m_blockSize)) {
        m_log.Write("HandleNotificationThread(void* pParam),Lock失败\n");
        return false;
    }

    const uint32_t cursor = m_voice->GetPosition();
    const uint32_t last = m_lastPlayCursor;
    const uint32_t advanced = cursor >= last ? cursor - last : m_bufferSize - last + cursor;
    m_played += advanced;
    m_lastPlayCursor = cursor;
    m_source->SetPlayedPosition(static_cast<uint32_t>(std::min<uint64_t>(m_played, UINT32_MAX)));
    if (m_source->GetDataSize() < m_played) {
        m_voice->Stop();
        m_played = 0;
        m_lastPlayCursor = 0;
        m_playing = false;
    }
    m_writeCursor = (m_writeCursor + m_blockSize) % m_bufferSize;
    return true;
}

uint32_t CDirectSoundPlayer::ReadSource(uint8_t* target, uint32_t bytes)
{
    uint32_t got = 0;
    if (m_source->Read(target, bytes, &got) != 0)
        got = 0;
    got = std::min(got, bytes);
    std::memset(target + got, m_silence, bytes - got);
    return got;
}

void CDirectSoundPlayer::EndThread()
{
    if (m_thread.joinable()) {
        m_event->RequestQuit();
        m_thread.join();
    }
}

void CDirectSoundPlayer::ReleaseVoice()
{
    if (m_voice) {
        m_voice->Stop();
        m_output.Detach(m_voice.get());
        m_voice.reset();
    }
    m_event.reset();
}
