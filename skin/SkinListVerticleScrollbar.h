#pragma once

#include "skin/SkinListScrollbar.h"

// The vertical bar: a release over an arrow scrolls only when that arrow was
// the one pressed; a drag scrolls whole rows.
class CSkinListVerticleScrollbar : public CSkinListScrollbar
{
    Q_OBJECT
public:
    explicit CSkinListVerticleScrollbar(QWidget* parent = nullptr)
        : CSkinListScrollbar(Qt::Vertical, 0, parent)
    {
    }
};
