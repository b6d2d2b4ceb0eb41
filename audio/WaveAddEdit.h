#pragma once

#include "audio/ClipEdit.h"

// A clip was added to a track: undo takes it out again.
class CWaveAddEdit : public ClipEdit
{
public:
    explicit CWaveAddEdit(CWaveDoc* clip) : ClipEdit(QStringLiteral("添加音频"), clip) {}
    int Undo() override { return TakeOut(); }
    int Redo() override { return PutBack(); }
};
