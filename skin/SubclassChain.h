#pragma once

#include <QObject>
#include <QWidget>

class CSubclassWnd;
class QEvent;

// The hook chain of one widget: a child of the widget installed as its event
// filter, which hands each event to the first hook. Used only by
// CSubclassWnd and CSubclassWndMap. GUI thread.
class CSubclassChain : public QObject
{
    Q_OBJECT
public:
    // The event being dispatched, so Default can pass it on; nested events of
    // the same widget stack their own.
    struct Dispatch
    {
        QEvent* event = nullptr;
        bool delivered = false; // the widget's handler already ran (Default)
        bool result = false;    // what the handler answered
    };

    explicit CSubclassChain(QWidget* window);
    ~CSubclassChain() override;

    static CSubclassChain* Of(const QWidget* window);

    CSubclassWnd* Head() const { return m_head; }
    void SetHead(CSubclassWnd* head) { m_head = head; }
    Dispatch* Current() const { return m_current; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CSubclassWnd* m_head = nullptr;
    Dispatch* m_current = nullptr;
};
