#pragma once

class CAudioTrack;

// What the track pads and their container ask of the timeline window, which
// implements it. GUI thread only.
class ITrackHost
{
public:
    virtual ~ITrackHost() = default;

    // Makes the track the current one (its row and its pad's label highlighted).
    virtual void SelectTrack(CAudioTrack* track) = 0;
    // Silence or restore every clip of the track and repaint its row.
    virtual void MuteTrack(CAudioTrack* track) = 0;
    virtual void UnmuteTrack(CAudioTrack* track) = 0;
    // Repaints the timeline without erasing first.
    virtual void Refresh() = 0;
};
