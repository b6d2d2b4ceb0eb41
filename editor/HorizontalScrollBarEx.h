#pragma once

#include "editor/ScrollBarEx.h"

// The timeline's horizontal scroll bar: left arrow, trough, right arrow, then
// the zoom-in and zoom-out buttons at the right end. GUI thread only.
class CHorizontalScrollBarEx : public CScrollBarEx
{
    Q_OBJECT
public:
    explicit CHorizontalScrollBarEx(QWidget* parent = nullptr);

    void PageLeft() { PageBack(); }
    void PageRight() { PageForward(); }
    void LineLeft() { LineBack(); }
    void LineRight() { LineForward(); }

signals:
    // Posted (queued) once per release over the zoom buttons; they never
    // repeat and never move the thumb. Stand for WM_SCROLLBAR_ZOOMIN and
    // WM_SCROLLBAR_ZOOMOUT.
    void zoomInRequested();
    void zoomOutRequested();

protected:
    bool OnExtraCellReleased(int cell) override;
};
