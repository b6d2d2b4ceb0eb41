#pragma once

#include "audio/IAudioPlayer.h"
#include "audio/PlayerFactory.h"

#include <memory>

// Clips under fuzzing never reach a sound device.
class NullPlayer : public IAudioPlayer
{
public:
    void SetClip(ISampleSource*) override {}
    int Create(bool) override { return 1; }
    int Play() override { return 1; }
    int Stop() override { return 1; }
    bool IsPlaying() const override { return false; }
    void Mute(bool) override {}
    void SetVolume(int) override {}
};

inline PlayerFactory NullPlayers()
{
    return [] { return std::make_unique<NullPlayer>(); };
}
