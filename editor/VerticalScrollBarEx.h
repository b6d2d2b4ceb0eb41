#pragma once

#include "editor/ScrollBarEx.h"

// The timeline's vertical scroll bar: up arrow, trough, down arrow, then three
// cells drawn as plus, minus and plain. The three cells do nothing of their
// own: a click there counts as a click in the trough below the thumb (a page
// down). GUI thread only.
class CVerticalScrollBarEx : public CScrollBarEx
{
    Q_OBJECT
public:
    explicit CVerticalScrollBarEx(QWidget* parent = nullptr);

    void PageUp() { PageBack(); }
    void PageDown() { PageForward(); }
    void LineUp() { LineBack(); }
    void LineDown() { LineForward(); }
};
