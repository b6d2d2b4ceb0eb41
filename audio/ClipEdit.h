#pragma once

#include "audio/EditRecord.h"
#include "audio/WaveDoc.h"

#include <memory>

class CAudioTrack;

// Base of the records that take a clip out of its track or put it back. The
// clip keeps its owner track and index while it is out, so it returns to the
// same place. Holds the clip while it is out.
class ClipEdit : public CEditRecord
{
public:
    void Release() override { m_detached.reset(); }
    CWaveDoc* GetClip() const { return m_clip; }
    bool IsDetached() const { return m_detached != nullptr; }

protected:
    ClipEdit(QString name, CWaveDoc* clip) : CEditRecord(std::move(name)), m_clip(clip) {}
    ClipEdit(QString name, std::unique_ptr<CWaveDoc> clip)
        : CEditRecord(std::move(name)), m_clip(clip.get()), m_detached(std::move(clip))
    {
    }

    int TakeOut();
    int PutBack();

    CWaveDoc* m_clip;
    std::unique_ptr<CWaveDoc> m_detached;
};
