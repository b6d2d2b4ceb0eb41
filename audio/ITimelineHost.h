#pragma once

#include <memory>

class CAudioTrack;

// The timeline operations undo records call back into. The editor's timeline
// window implements them; tests use a fake.
class ITimelineHost
{
public:
    virtual ~ITimelineHost() = default;
    // Takes the track and inserts it at its index (appends when past the end).
    virtual void InsertTrack(std::unique_ptr<CAudioTrack> track) = 0;
    // Takes the track out and hands it back; none when it is not there.
    virtual std::unique_ptr<CAudioTrack> RemoveTrack(CAudioTrack* track) = 0;
    virtual void StopPlayback() = 0;
    virtual int RebuildPlayList() = 0;
};
