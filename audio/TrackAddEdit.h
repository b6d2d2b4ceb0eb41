#pragma once

#include "audio/TrackEdit.h"

// A track was added: undo takes it out again.
class CTrackAddEdit : public TrackEdit
{
public:
    explicit CTrackAddEdit(CAudioTrack* track) : TrackEdit(QStringLiteral("添加音轨"), track) {}
    int Undo() override { return TakeOut(); }
    int Redo() override { return PutBack(); }
};
