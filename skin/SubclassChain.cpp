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
    const QPointer<QObject> window(watched);
    Dispatch dispatch;
    dispatch.event = event;
    Dispatch* const outer = m_current;
    m_current = &dispatch;
    const bool consumed = m_head->WindowProc(event);
    // The last hook may have left (taking this chain with it) or the widget
    // may be gone; only a widget that still exists may get the event.
    if (alive)
        m_current = outer;
    if (!window)
        return true;
    return consumed || dispatch.delivered;
}
