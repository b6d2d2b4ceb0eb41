#include "skin/SubclassWndMap.h"

#include "skin/SubclassChain.h"
#include "skin/SubclassWnd.h"

CSubclassWnd* CSubclassWndMap::Lookup(const QWidget* window)
{
    const CSubclassChain* chain = CSubclassChain::Of(window);
    return chain ? chain->Head() : nullptr;
}

void CSubclassWndMap::Add(QWidget* window, CSubclassWnd* hook)
{
    CSubclassChain* chain = CSubclassChain::Of(window);
    if (!chain)
        chain = new CSubclassChain(window);
    hook->m_next = chain->Head();
    chain->SetHead(hook);
    hook->setParent(window);
}

void CSubclassWndMap::Remove(CSubclassWnd* hook)
{
    QWidget* window = hook->m_window;
    CSubclassChain* chain = CSubclassChain::Of(window);
    if (!chain)
        return;
    if (chain->Head() == hook) {
        chain->SetHead(hook->m_next);
    } else {
        CSubclassWnd* before = chain->Head();
        while (before && before->m_next != hook)
            before = before->m_next;
        if (!before)
            return;
        before->m_next = hook->m_next;
    }
    hook->m_next = nullptr;
    hook->m_window = nullptr;
    if (hook->parent() == window)
        hook->setParent(nullptr);
    if (!chain->Head())
        delete chain;
}

void CSubclassWndMap::RemoveAll(QWidget* window)
{
    while (CSubclassWnd* hook = Lookup(window)) {
        hook->HookWindow(nullptr);
        delete hook;
    }
}
