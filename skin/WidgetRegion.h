#pragma once

#include <QRegion>

class QWidget;

// Shapes a widget to region (in its own coordinates), as a window region does:
// only pixels inside it show and take the mouse. An empty region would make Qt
// drop the mask and show the whole widget, so it is replaced by a one-pixel
// region just outside the widget: nothing shows and nothing is hit, while the
// widget keeps its visible state for the dialog that owns it. GUI thread.
void SetWidgetRegion(QWidget* widget, const QRegion& region);
