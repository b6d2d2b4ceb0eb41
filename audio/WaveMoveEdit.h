#pragma once

#include "audio/EditRecord.h"
#include "audio/WaveDoc.h"

#include <cstdint>

// A clip was dragged along its track. Owns nothing.
class CWaveMoveEdit : public CEditRecord
{
public:
    CWaveMoveEdit(CWaveDoc* clip, uint32_t newStartMs, uint32_t oldStartMs)
        : CEditRecord(QStringLiteral("移动音频")), m_oldStart(oldStartMs),
          m_newStart(newStartMs), m_clip(clip)
    {
    }
    int Undo() override { return MoveTo(m_oldStart); }
    int Redo() override { return MoveTo(m_newStart); }

private:
    int MoveTo(uint32_t startMs)
    {
        m_clip->StopPlayback();
        m_clip->SetStart(startMs);
        return 1;
    }

    uint32_t m_oldStart;
    uint32_t m_newStart;
    CWaveDoc* m_clip;
};
