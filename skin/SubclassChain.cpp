#include "skin/SubclassChain.h"

#include "skin/SubclassWnd.h"

#include <QPointer>

CSubclassChain::CSubclassChain(QWidget* window) : QObject(window)
{
    window->installEventFilter(this);
}

CSubclassChain::~CSubclassChain() = default;

CSubclassChain* CSubclassChain::Of(const QWidget* window)
{
    return window ? window->findChild<CSubclassChain*>(QString(), Qt::FindDirectChildrenOnly)
                  : nullptr;
}

bool CSubclassChain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != parent() || !m_head)
        return false;
    const QPointer<CSubclassChain> alive(this);
    Dispatch dispatch;
    dispatch.event = event;
    Dispatch* const outer = m_current;
    m_current = &dispatch;
    const bool consumed = m_head->WindowProc(event);
    if (!alive)
        return true; // the widget went away while handling its event
    m_current = outer;
    return consumed || dispatch.delivered;
}
