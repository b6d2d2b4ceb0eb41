#include "editor/HorizontalScrollBarEx.h"

namespace {
constexpr int kZoomInCell = 0;
constexpr int kZoomOutCell = 1;
} // namespace

CHorizontalScrollBarEx::CHorizontalScrollBarEx(QWidget* parent)
    : CScrollBarEx(Qt::Horizontal, 2, parent)
{
}

bool CHorizontalScrollBarEx::OnExtraCellReleased(int cell)
{
    if (cell == kZoomInCell) {
        QMetaObject::invokeMethod(
            this, [this] { emit zoomInRequested(); }, Qt::QueuedConnection);
        return true;
    }
    if (cell == kZoomOutCell) {
        QMetaObject::invokeMethod(
            this, [this] { emit zoomOutRequested(); }, Qt::QueuedConnection);
        return true;
    }
    return false;
}
