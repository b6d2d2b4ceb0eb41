#include "audio/TrackClipboard.h"

void CTrackClipboard::Add(std::unique_ptr<CAudioTrack> track)
{
    if (track)
        m_tracks.push_back(std::move(track));
}

CAudioTrack* CTrackClipboard::GetAt(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return m_tracks[static_cast<size_t>(index)].get();
}

void CTrackClipboard::RemoveAll()
{
    m_tracks.clear();
}
