#include "audio/EditHistory.h"

void EditHistory::Add(std::unique_ptr<CEditRecord> record)
{
    if (!record)
        return;
    while (GetCount() - 1 > m_current) {
        m_records.back()->Release();
        m_records.pop_back();
        m_serials.pop_back();
    }
    m_records.push_back(std::move(record));
    m_serials.push_back(m_nextSerial++);
    m_current = GetCount() - 1;
}

int EditHistory::Undo()
{
    if (!CanUndo())
        return 0;
    CEditRecord* record = m_records[static_cast<size_t>(m_current)].get();
    --m_current;
    return record->Undo();
}

int EditHistory::Redo()
{
    if (!CanRedo())
        return 0;
    ++m_current;
    return m_records[static_cast<size_t>(m_current)]->Redo();
}

CEditRecord* EditHistory::GetUndoEdit(int n) const
{
    if (n < 0 || n > m_current)
        return nullptr;
    return m_records[static_cast<size_t>(m_current - n)].get();
}

CEditRecord* EditHistory::GetRedoEdit(int n) const
{
    const int index = m_current + n + 1;
    if (n < 0 || index >= GetCount())
        return nullptr;
    return m_records[static_cast<size_t>(index)].get();
}

void EditHistory::Clear()
{
    for (auto& record : m_records)
        record->Release();
    m_records.clear();
    m_serials.clear();
    m_current = -1;
    m_cleanSerial = 0;
}

uint64_t EditHistory::StateSerial() const
{
    return m_current < 0 ? 0 : m_serials[static_cast<size_t>(m_current)];
}
