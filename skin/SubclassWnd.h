#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

class QEvent;

// A hook in front of a widget's own event handling. Several hooks can be
// chained on one widget: the hook added last sees each event first and passes
// on what it does not consume, down to the widget itself. A hooked hook is a
// child of its widget, so destroying the widget deletes its hooks; unhooking
// hands it back to whoever created it. GUI thread.
//
// Do not delete a hook from inside its own WindowProc (use deleteLater).
class CSubclassWnd : public QObject
{
    Q_OBJECT
public:
    CSubclassWnd();
    ~CSubclassWnd() override;

    // A widget puts this hook at the front of its chain (leaving any chain it
    // was in first); null removes it from its widget. Returns true.
    bool HookWindow(QWidget* window);
    bool IsHooked() const { return !m_window.isNull(); }
    QWidget* Window() const { return m_window; }

    // Sees an event of the widget; true consumes it. This base passes it to the
    // next hook, and past the last one to the widget (returning false: Qt
    // delivers it as usual). Derived hooks call it (or Default) for what they
    // do not handle.
    virtual bool WindowProc(QEvent* event);

    // Passes the event being dispatched to the widget on now, unchanged,
    // through the rest of the chain to the widget's own handler, so a hook can
    // work after it. The event is delivered once only, whatever the hook
    // returns afterwards. Returns what the rest of the chain or the widget's
    // handler answered; false outside a dispatch.
    bool Default();

private:
    friend class CSubclassWndMap;

    QPointer<QWidget> m_window;
    CSubclassWnd* m_next = nullptr; // the hook after this one on the same widget
};
