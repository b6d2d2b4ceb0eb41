#pragma once

class CAudioTrack;

// The pane that shows one control pad per timeline track. The timeline tells
// it when tracks come and go; it implements nothing else of the timeline.
class IPadView
{
public:
    virtual ~IPadView() = default;
    // 1 when the pad was shown, 0 without a track.
    virtual int AddPad(CAudioTrack* track) = 0;
    virtual void RemovePad(CAudioTrack* track) = 0;
    virtual void RemoveAllPads() = 0;
    virtual void RefreshPads() = 0;
};
