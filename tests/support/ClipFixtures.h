#pragma once

#include "audio/IAudioPlayer.h"
#include "audio/ISampleSource.h"
#include "audio/WaveDoc.h"

#include <cstring>
#include <memory>

// What clips asked of their players, shared by every player one factory made.
struct PlayerLog
{
    int creates = 0;
    int plays = 0;
    int stops = 0;
    int lastVolume = 0;
    bool lastMute = false;
    uint32_t readPositionAtPlay = 0;
};

// A player that plays nothing and records what it was asked.
class RecordingPlayer : public IAudioPlayer
{
public:
    explicit RecordingPlayer(PlayerLog& log) : m_log(log) {}
    void SetClip(ISampleSource* source) override { m_source = source; }
    int Create(bool) override { return ++m_log.creates, 1; }
    int Play() override
    {
        ++m_log.plays;
        m_log.readPositionAtPlay = m_source->GetReadPosition();
        m_playing = true;
        return 1;
    }
    int Stop() override { return ++m_log.stops, m_playing = false, 1; }
    bool IsPlaying() const override { return m_playing; }
    void Mute(bool muted) override { m_log.lastMute = muted; }
    void SetVolume(int volume) override { m_log.lastVolume = volume; }

private:
    PlayerLog& m_log;
    ISampleSource* m_source = nullptr;
    bool m_playing = false;
};

inline PlayerFactory RecordingPlayers(PlayerLog& log)
{
    return [&log] { return std::make_unique<RecordingPlayer>(log); };
}

// A 16-bit stereo 44100 Hz clip whose 32-bit frames hold their own index, so
// any copy or cut can be checked sample-exactly. 441 frames are 10 ms.
inline std::unique_ptr<CWaveDoc> IndexedClip(uint32_t frames, PlayerLog* log = nullptr,
                                             uint32_t startMs = 0)
{
    auto clip = log ? std::make_unique<CWaveDoc>(RecordingPlayers(*log))
                    : std::make_unique<CWaveDoc>();
    clip->SetFormat(kProjectFormat);
    clip->SetStart(startMs);
    if (!clip->CreateStore(frames * 4))
        return nullptr;
    if (frames > 0) {
        CMappedView view = clip->GetStore()->MapView(0, frames * 4);
        for (uint32_t i = 0; i < frames; ++i)
            std::memcpy(view.data() + 4 * i, &i, 4);
    }
    return clip;
}

// The frame stored at a byte offset of an indexed clip.
inline uint32_t FrameAt(const CWaveDoc& clip, uint32_t byteOffset)
{
    uint32_t value = 0;
    CMappedView view = clip.GetStore()->MapView(byteOffset, 4);
    if (view)
        std::memcpy(&value, view.data(), 4);
    return value;
}
