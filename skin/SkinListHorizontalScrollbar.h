#pragma once

#include "skin/SkinListScrollbar.h"

// The horizontal bar: a release over either arrow scrolls a line that way,
// whatever was pressed; a drag scrolls pixels.
class CSkinListHorizontalScrollbar : public CSkinListScrollbar
{
    Q_OBJECT
public:
    explicit CSkinListHorizontalScrollbar(QWidget* parent = nullptr)
        : CSkinListScrollbar(Qt::Horizontal, 25, parent)
    {
    }
};
