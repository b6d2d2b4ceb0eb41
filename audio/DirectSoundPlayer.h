#pragma once

#include "audio/ErrorLog.h"
#include "audio/IAudioPlayer.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class AudioVoice;
class AutoResetEvent;
class IAudioOutput;
class ISampleSource;

// Streams one sample source through its own voice of the sound output. The
// voice's ring buffer holds one second in the source's format, in 16 equal
// blocks; each time play passes a block's end the mixer wakes the player's
// notification thread, which refills the block just played from the source
// and counts the bytes heard. Once more has been heard than the source holds,
// the player stops itself (within a block after the end: silence fills the
// blocks behind it). Failures are logged to "DirectSoundPlayer.txt" in the
// data folder and answered with 0; nothing is shown to the user.
//
// Threads: SetClip, Create, Play, Stop, Mute, SetVolume and the destructor on
// the GUI thread; IsPlaying from any thread. The notification thread lives from
// Create to the next Create or the destructor, which end it and wait for it.
// It reads the source only while it holds the refill lock, which Play and Stop
// take too: once Stop returns nothing reads the source until the next Play,
// and the voice leaves the mix before the player goes. Reading the source must
// not wait for the GUI thread.
class CDirectSoundPlayer : public IAudioPlayer
{
public:
    // output must outlive the player.
    explicit CDirectSoundPlayer(IAudioOutput& output);
    ~CDirectSoundPlayer() override;

    CDirectSoundPlayer(const CDirectSoundPlayer&) = delete;
    CDirectSoundPlayer& operator=(const CDirectSoundPlayer&) = delete;

    // The source is not owned; it must outlive the player or be replaced first.
    void SetClip(ISampleSource* source) override;
    // Ends the previous thread and voice, opens the output and builds a voice
    // for the source's format with its notifications and thread. 1 or 0.
    int Create(bool globalFocus) override;
    // Fills the whole buffer from the source's read position and starts looped
    // play. 1 or 0; the result is also the playing flag.
    int Play() override;
    // Stops and rewinds the voice and clears the counters. 0 without a voice.
    int Stop() override;
    bool IsPlaying() const override { return m_playing.load(); }
    void Mute(bool muted) override;
    void SetVolume(int volume) override; // hundredths of a decibel

private:
    void NotificationThread(AutoResetEvent* event);
    // Refills every block play has left since the last refill. false when a
    // refill failed, which ends the thread.
    bool RefillPlayedBlocks();
    bool RefillBlock();
    // Reads up to bytes from the source into target and pads the rest with
    // silence. Returns the bytes the source supplied.
    uint32_t ReadSource(uint8_t* target, uint32_t bytes);
    void EndThread();
    void ReleaseVoice();

    IAudioOutput& m_output;
    ISampleSource* m_source = nullptr;
    const int m_seconds = 1;
    const int m_blockCount = 16;
    std::unique_ptr<AudioVoice> m_voice;
    uint32_t m_bufferSize = 0; // bytes, m_blockSize x m_blockCount
    uint32_t m_blockSize = 0;  // bytes
    std::atomic<int> m_volume{0};
    std::atomic<bool> m_muted{false};
    std::thread m_thread;
    std::unique_ptr<AutoResetEvent> m_event;
    std::atomic<bool> m_endReached{false};
    std::atomic<uint32_t> m_writeCursor{0};    // buffer offset of the next block to refill
    std::atomic<uint64_t> m_played{0};         // bytes heard, from the source's start
    std::atomic<uint32_t> m_lastPlayCursor{0}; // the voice's position at the last refill
    CErrorLog m_log;
    std::atomic<bool> m_playing{false};

    std::mutex m_refillMutex;
    std::vector<uint8_t> m_scratch; // one buffer's worth, filled under the refill lock
    uint8_t m_silence = 0;          // 0x80 for 8-bit sources
};
