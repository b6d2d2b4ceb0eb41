#pragma once

#include "audio/ClipEdit.h"

// A clip was removed from its track (the record holds it): undo puts it back.
class CWaveRemoveEdit : public ClipEdit
{
public:
    explicit CWaveRemoveEdit(std::unique_ptr<CWaveDoc> clip)
        : ClipEdit(QStringLiteral("删除音频"), std::move(clip))
    {
    }
    int Undo() override { return PutBack(); }
    int Redo() override { return TakeOut(); }
};
