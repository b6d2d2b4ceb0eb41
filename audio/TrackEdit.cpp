#include "audio/TrackEdit.h"

#include "audio/ITimelineHost.h"

int TrackEdit::TakeOut()
{
    if (!GetOwner() || !m_track || m_detached)
        return 0;
    m_detached = GetOwner()->RemoveTrack(m_track);
    return m_detached ? 1 : 0;
}

int TrackEdit::PutBack()
{
    if (!GetOwner() || !m_detached)
        return 0;
    GetOwner()->InsertTrack(std::move(m_detached));
    return 1;
}
