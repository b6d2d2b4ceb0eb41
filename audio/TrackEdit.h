#pragma once

#include "audio/AudioTrack.h"
#include "audio/EditRecord.h"

#include <memory>

// Base of the records that take a whole track out of the timeline or put it
// back. Holds the track while it is out.
class TrackEdit : public CEditRecord
{
public:
    void Release() override { m_detached.reset(); }
    CAudioTrack* GetTrack() const { return m_track; }
    bool IsDetached() const { return m_detached != nullptr; }

protected:
    // A track that is in the timeline.
    TrackEdit(QString name, CAudioTrack* track) : CEditRecord(std::move(name)), m_track(track) {}
    // A track already taken out; the record owns it.
    TrackEdit(QString name, std::unique_ptr<CAudioTrack> track)
        : CEditRecord(std::move(name)), m_track(track.get()), m_detached(std::move(track))
    {
    }

    int TakeOut();
    int PutBack();

    CAudioTrack* m_track;
    std::unique_ptr<CAudioTrack> m_detached;
};
