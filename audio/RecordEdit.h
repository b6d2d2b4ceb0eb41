#pragma once

#include "audio/TrackEdit.h"

// A recording made a new track: undo stops a recording still running, then
// takes the track out.
class CRecordEdit : public TrackEdit
{
public:
    explicit CRecordEdit(CAudioTrack* track) : TrackEdit(QStringLiteral("添加录音"), track) {}
    int Undo() override;
    int Redo() override { return PutBack(); }
};
