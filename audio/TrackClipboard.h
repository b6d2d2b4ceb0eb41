#pragma once

#include "audio/AudioTrack.h"

#include <memory>
#include <vector>

// The tracks that copy and cut put aside for paste. Owns them. The program
// keeps one, emptied before the sound output and the application go away.
// GUI thread only.
class CTrackClipboard
{
public:
    void Add(std::unique_ptr<CAudioTrack> track);
    // None for an index outside the list.
    CAudioTrack* GetAt(int index) const;
    void RemoveAll();
    bool HasTracks() const { return !m_tracks.empty(); }
    int GetCount() const { return static_cast<int>(m_tracks.size()); }

private:
    std::vector<std::unique_ptr<CAudioTrack>> m_tracks;
};
