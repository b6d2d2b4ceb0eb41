#include "audio/PlayerFactory.h"

namespace {
// Until a sound output is wired in, clips play silently and report that
// nothing started.
class SilentPlayer : public IAudioPlayer
{
public:
    void SetClip(ISampleSource*) override {}
    int Create(bool) override { return 0; }
    int Play() override { return 0; }
    int Stop() override { return 0; }
    bool IsPlaying() const override { return false; }
    void Mute(bool) override {}
    void SetVolume(int) override {}
};
} // namespace

PlayerFactory DefaultPlayerFactory()
{
    return [] { return std::make_unique<SilentPlayer>(); };
}
