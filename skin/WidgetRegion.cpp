#include "skin/WidgetRegion.h"

#include <QWidget>

void SetWidgetRegion(QWidget* widget, const QRegion& region)
{
    if (!widget)
        return;
    if (region.intersected(widget->rect()).isEmpty())
        widget->setMask(QRegion(-1, -1, 1, 1));
    else
        widget->setMask(region);
}
