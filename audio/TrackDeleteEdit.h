#pragma once

#include "audio/TrackEdit.h"

// A track was deleted (the record holds it): undo puts it back.
class CTrackDeleteEdit : public TrackEdit
{
public:
    explicit CTrackDeleteEdit(std::unique_ptr<CAudioTrack> track)
        : TrackEdit(QStringLiteral("删除音轨"), std::move(track))
    {
    }
    int Undo() override { return PutBack(); }
    int Redo() override { return TakeOut(); }
};
