#include "skin/SubclassWnd.h"

#include "skin/SubclassChain.h"
#include "skin/SubclassWndMap.h"

CSubclassWnd::CSubclassWnd() = default;

CSubclassWnd::~CSubclassWnd()
{
    if (IsHooked())
        CSubclassWndMap::Remove(this);
}

bool CSubclassWnd::HookWindow(QWidget* window)
{
    if (IsHooked())
        CSubclassWndMap::Remove(this);
    m_window = window;
    if (window)
        CSubclassWndMap::Add(window, this);
    return true;
}

bool CSubclassWnd::WindowProc(QEvent* event)
{
    return m_next ? m_next->WindowProc(event) : false;
}

bool CSubclassWnd::Default()
{
    CSubclassChain* chain = CSubclassChain::Of(m_window);
    CSubclassChain::Dispatch* dispatch = chain ? chain->Current() : nullptr;
    if (!dispatch)
        return false;
    if (dispatch->delivered)
        return dispatch->result;
    const QPointer<QWidget> window = m_window;
    const bool consumed = m_next ? m_next->WindowProc(dispatch->event) : false;
    if (consumed || dispatch->delivered || !window)
        return consumed || dispatch->result;
    dispatch->delivered = true;
    // QObject::event is public; the widget's handler runs as Qt would run it.
    dispatch->result = static_cast<QObject*>(window.data())->event(dispatch->event);
    return dispatch->result;
}
