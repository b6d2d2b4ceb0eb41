#pragma once

class ISampleSource;

// Plays one sample source. Called from the GUI thread.
class IAudioPlayer
{
public:
    virtual ~IAudioPlayer() = default;

    virtual void SetClip(ISampleSource* source) = 0;
    // Prepares output for the source; called before every start. 1 or 0.
    virtual int Create(bool globalFocus) = 0;
    // Starts from the source's current read position. 1 or 0.
    virtual int Play() = 0;
    // Stops and rewinds the output. 1 or 0.
    virtual int Stop() = 0;
    virtual bool IsPlaying() const = 0;
    virtual void Mute(bool muted) = 0;
    // Hundredths of a decibel; -10000 is silence.
    virtual void SetVolume(int volume) = 0;
};
