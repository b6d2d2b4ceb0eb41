#pragma once

class AudioVoice;

// The sound output that voices play through. The programs use the shared
// device (AudioOutput); tests drive an AudioMixer by hand as their clock.
// Called from the threads that own the voices.
class IAudioOutput
{
public:
    virtual ~IAudioOutput() = default;

    // Makes the output ready to play. false when no sound device can be
    // opened; a later call tries again.
    virtual bool Open() = 0;
    // Adds a voice to the mix. It must stay alive until Detach returns.
    virtual void Attach(AudioVoice* voice) = 0;
    // Takes a voice out of the mix; when this returns the mixer no longer
    // touches it. Unknown voices are ignored.
    virtual void Detach(AudioVoice* voice) = 0;
};
