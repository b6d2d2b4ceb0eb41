#include "audio/CombEdit.h"

void CCombEdit::AddEdit(std::unique_ptr<CEditRecord> record)
{
    if (record)
        m_children.push_back(std::move(record));
}

int CCombEdit::Undo()
{
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it)
        (*it)->Undo();
    return 1;
}

int CCombEdit::Redo()
{
    for (auto& child : m_children)
        child->Redo();
    return 1;
}

void CCombEdit::Release()
{
    while (!m_children.empty()) {
        m_children.back()->Release();
        m_children.pop_back();
    }
}
