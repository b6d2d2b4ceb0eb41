#pragma once

#include "audio/EditRecord.h"

#include <memory>
#include <vector>

// Several records undone and redone as one step (children undo last to first).
class CCombEdit : public CEditRecord
{
public:
    CCombEdit() : CEditRecord(QStringLiteral("复合操作")) {}

    void AddEdit(std::unique_ptr<CEditRecord> record);
    int GetCount() const { return static_cast<int>(m_children.size()); }

    int Undo() override;
    int Redo() override;
    void Release() override;

private:
    std::vector<std::unique_ptr<CEditRecord>> m_children;
};
