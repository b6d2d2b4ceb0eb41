#include "audio/RecordEdit.h"

#include "audio/ITimelineHost.h"

int CRecordEdit::Undo()
{
    if (!GetOwner() || !m_track || m_detached)
        return 0;
    for (int i = 0; i < m_track->GetClipCount(); ++i) {
        if (m_track->GetClip(i)->IsRecording()) {
            GetOwner()->StopPlayback();
            break;
        }
    }
    return TakeOut();
}
