// Playback of the music with the voice joining at its block, and recording
// the voice while the music plays.
#include "audio/IAudioPlayer.h"
#include "audio/WmaWriter.h"
#include "platform/AudioCapture.h"
#include "voice/Brevanta.h"

#include <algorithm>
#include <cstring>
#include <new>

void CBrevanta::EnumWmaFormats()
{
    if (!m_blinkTimer.isActive())
        m_blinkTimer.start();
    if (!m_playTimer.isActive())
        m_playTimer.start();
    // The timeline's ring files and these come from the one table the
    // encoder offers. Built once: ring workers read it without a lock.
    if (m_wmaFormats.IsEmpty())
        m_wmaFormats.Build(CWmaWriter::OfferedFormats());
}

int64_t CBrevanta::Elapsed() const
{
    // Unsigned difference: right across a wrap of the tick count.
    return int64_t{static_cast<uint32_t>(m_ticks() - m_playStartTick)} + m_playStartOffset;
}

int CBrevanta::Play()
{
    if (m_loopMode && m_selStart != m_selEnd && !m_recording) {
        const int startMs = XToMs(m_selStart);
        m_music.SetReadPosition(MsToBytes(startMs, m_music.GetFormat()));
        m_playEnd = XToMs(m_selEnd);
        m_loopPlaying = true;
        m_playStartOffset = startMs;
    } else {
        const int cursorMs = XToMs(m_editCursor);
        m_music.SetReadPosition(MsToBytes(cursorMs, m_music.GetFormat()));
        m_playEnd = 0;
        m_loopPlaying = false;
        m_playStartOffset = cursorMs;
    }
    return PlayMusic();
}

void CBrevanta::SetLoopMode(bool on)
{
    m_loopMode = on;
    if (!on && m_loopPlaying) {
        // The player reads on from where it is; only the end moves.
        m_loopPlaying = false;
        m_playEnd = 0;
    }
}

int CBrevanta::PlayFromStart()
{
    m_music.SetReadPosition(0);
    m_playEnd = 0;
    m_loopPlaying = false;
    m_playStartOffset = 0;
    return PlayMusic();
}

int CBrevanta::PlayMusic()
{
    if (!m_music.HasData())
        return 0;
    if (m_playing) {
        // Stop rewinds nothing of the music: the read position just set stays.
        const uint32_t position = m_music.GetReadPosition();
        Stop();
        m_music.SetReadPosition(position);
    }
    m_playing = true;
    m_voiceStart = XToMs(m_voiceBlockX);
    // The clock starts once the output exists: the first Create opens the
    // sound device, which takes a while, and the play time is what is heard.
    const bool created = m_musicPlayer && m_musicPlayer->Create(true) == 1;
    m_playStartTick = m_ticks();
    if (!created || m_musicPlayer->Play() != 1) {
        m_playing = false;
        update();
        return 0;
    }
    update();
    return 1;
}

int CBrevanta::StartVoice()
{
    if (!m_voice.HasData() || m_voice.GetSize() == 0 || !m_voicePlayer)
        return 0;
    const uint32_t offset = MsToBytes(Elapsed() - m_voiceStart, m_recordFormat);
    m_voice.SetReadPosition(std::min(m_voice.GetSize(), offset));
    // Tried once per play: an output that cannot start is not asked again
    // every tick.
    m_voicePlaying = true;
    return m_voicePlayer->Create(true) == 1 && m_voicePlayer->Play() == 1 ? 1 : 0;
}

int CBrevanta::Pause()
{
    if (!m_playing)
        return 0;
    const int x = GetPlayX();
    Stop();
    m_editCursor = x;
    update();
    return 1;
}

void CBrevanta::Stop()
{
    StopRecord();
    if (!m_playing)
        return;
    m_playing = false;
    if (m_musicPlayer)
        m_musicPlayer->Stop();
    m_voicePlaying = false;
    if (m_voicePlayer)
        m_voicePlayer->Stop();
    m_voice.Rewind();
    update();
}

void CBrevanta::OnPlayTimer()
{
    if (!m_playing)
        return;
    const int64_t end = m_loopPlaying ? m_playEnd : m_musicLength;
    if (end < Elapsed())
        OnPlayEnd();
    // The capture thread only marks a full block; it is ended here.
    if (m_recording && m_capture.IsFull())
        StopRecord();
    if (!m_playing)
        return;
    if (!m_recording && !m_voicePlaying && Elapsed() >= m_voiceStart)
        StartVoice();
    emit PLAY_TICK();
    update();
}

void CBrevanta::OnPlayEnd()
{
    if (m_loopPlaying) {
        if (m_musicPlayer)
            m_musicPlayer->Stop();
        if (m_voicePlayer)
            m_voicePlayer->Stop();
        m_voicePlaying = false;
        const int startMs = XToMs(m_selStart);
        m_music.SetReadPosition(MsToBytes(startMs, m_music.GetFormat()));
        m_playStartOffset = startMs;
        m_playStartTick = m_ticks();
        if (m_musicPlayer)
            m_musicPlayer->Play();
        emit LOOP_RESTARTED();
    } else {
        Stop();
        emit PLAY_STOPPED();
    }
    update();
}

int CBrevanta::StartRecord()
{
    if (m_ringJob.load())
        return 0;
    Stop();
    const uint32_t chunk = GetRecordChunkBytes();
    const int64_t restMs = int64_t{m_musicLength} - XToMs(m_editCursor);
    const uint32_t capacity = MsToBytes(restMs, m_recordFormat);
    // Less than one chunk of room could never hold anything.
    if (!m_music.HasData() || capacity < chunk)
        return 0;

    std::unique_ptr<WaveBuffer> block;
    try {
        block = std::make_unique<WaveBuffer>(capacity);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    m_capture.Reset(block->data.get(), capacity, chunk);
    auto device = m_captureFactory ? m_captureFactory() : std::make_unique<AudioCapture>();
    CaptureFormat format;
    format.channels = m_recordFormat.channels;
    format.rate = m_recordFormat.samplesPerSec;
    format.bits = m_recordFormat.bitsPerSample;
    // The old voice goes only once the input has been opened.
    if (!device || !device->Open(format, &m_capture))
        return 0;

    m_recordBlock = std::move(block);
    m_recordCapacity = capacity;
    m_captureDevice = std::move(device);
    m_voice.Free();
    m_voiceBlockX = m_editCursor;
    m_recording = true;
    if (Play() != 1) {
        m_recording = false;
        m_captureDevice->Close();
        m_captureDevice.reset();
        m_recordBlock.reset();
        return 0;
    }
    m_captureDevice->Start();
    update();
    return 1;
}

void CBrevanta::StopRecord()
{
    if (!m_recording)
        return;
    m_recording = false;
    // Once the device is closed nothing writes into the block any more.
    if (m_captureDevice) {
        m_captureDevice->Close();
        m_captureDevice.reset();
    }
    if (m_recordBlock) {
        const uint32_t fill = m_capture.GetFill();
        std::unique_ptr<WaveBuffer> voice;
        try {
            voice = std::make_unique<WaveBuffer>(fill);
            std::memcpy(voice->data.get(), m_recordBlock->data.get(), fill);
        } catch (const std::bad_alloc&) {
            // No room for an exact copy: the block itself holds the voice.
            voice = std::move(m_recordBlock);
            voice->size = fill;
        }
        m_voice.SetFormat(m_recordFormat);
        m_voice.SetBuffer(std::move(voice));
        m_recordBlock.reset();
    }
    m_capture.Reset(nullptr, 0, GetRecordChunkBytes());
    update();
    // Told once the voice is in place, so the owner may read it or record anew.
    emit RECORD_STOPPED();
}

bool CBrevanta::DeleteRecording()
{
    if (m_ringJob.load())
        return false;
    Stop();
    m_voice.Free();
    update();
    return true;
}

void CBrevanta::SetMusicVolume(int volume)
{
    if (m_musicPlayer)
        m_musicPlayer->SetVolume(volume);
}

void CBrevanta::SetVoiceVolume(int volume)
{
    if (m_voicePlayer)
        m_voicePlayer->SetVolume(volume);
}

void CBrevanta::MuteMusic(bool muted)
{
    if (m_musicPlayer)
        m_musicPlayer->Mute(muted);
}

void CBrevanta::MuteVoice(bool muted)
{
    if (m_voicePlayer)
        m_voicePlayer->Mute(muted);
}
