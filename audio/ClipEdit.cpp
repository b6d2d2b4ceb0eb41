#include "audio/ClipEdit.h"

#include "audio/AudioTrack.h"
#include "audio/ITimelineHost.h"

int ClipEdit::TakeOut()
{
    if (!GetOwner() || !m_clip || m_detached || !m_clip->GetOwnerTrack())
        return 0;
    m_detached = m_clip->GetOwnerTrack()->RemoveClip(m_clip);
    if (!m_detached)
        return 0;
    GetOwner()->RebuildPlayList();
    return 1;
}

int ClipEdit::PutBack()
{
    if (!GetOwner() || !m_detached || !m_clip->GetOwnerTrack())
        return 0;
    m_clip->SetSelected(false);
    m_clip->GetOwnerTrack()->AddClip(std::move(m_detached));
    GetOwner()->RebuildPlayList();
    return 1;
}
