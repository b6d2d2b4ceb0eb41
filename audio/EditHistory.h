#pragma once

#include "audio/EditRecord.h"

#include <cstdint>
#include <memory>
#include <vector>

// The undo history: every record in the order it was added and the index of
// the last one done. Records after it were undone and can be redone. No size
// limit. The program keeps one, cleared before the sound output and the
// application go away. GUI thread only.
class EditHistory
{
public:
    ~EditHistory() { Clear(); }

    // Discards the records that could be redone (last first), then appends.
    void Add(std::unique_ptr<CEditRecord> record);
    // The step's result; 0 when nothing can be undone or redone.
    int Undo();
    int Redo();
    bool CanUndo() const { return m_current >= 0; }
    bool CanRedo() const { return m_current < GetCount() - 1; }
    int GetUndoCount() const { return m_current + 1; }
    int GetRedoCount() const { return GetCount() - m_current - 1; }
    // n = 0 is the next record to undo (or redo); none past the ends.
    CEditRecord* GetUndoEdit(int n) const;
    CEditRecord* GetRedoEdit(int n) const;
    // Releases and deletes every record.
    void Clear();
    int GetCount() const { return static_cast<int>(m_records.size()); }

    // Whether the project is as it was when last marked (saved, or opened
    // into an unchanged project). Undoing back to that point counts as
    // unchanged; an empty history after Clear is unchanged.
    bool IsClean() const { return StateSerial() == m_cleanSerial; }
    void MarkClean() { m_cleanSerial = StateSerial(); }

private:
    // Names the state the last done record leaves; 0 before any record.
    uint64_t StateSerial() const;

    int m_current = -1;
    std::vector<std::unique_ptr<CEditRecord>> m_records;
    std::vector<uint64_t> m_serials; // one per record, never reused
    uint64_t m_nextSerial = 1;
    uint64_t m_cleanSerial = 0;
};
