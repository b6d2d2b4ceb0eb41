#pragma once

class CAudioTrack;

// The control pad a track carries (mute, solo, volume). The editor implements
// it as a widget; the engine only introduces the pad to its track and lets it
// refresh its label when the track's number or focus changes.
class ITrackPad
{
public:
    virtual ~ITrackPad() = default;
    virtual void SetTrack(CAudioTrack* track) = 0;
    virtual void RefreshLogo(bool repaint) = 0;
};
