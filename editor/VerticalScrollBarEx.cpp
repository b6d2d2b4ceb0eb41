#include "editor/VerticalScrollBarEx.h"

CVerticalScrollBarEx::CVerticalScrollBarEx(QWidget* parent) : CScrollBarEx(Qt::Vertical, 3, parent)
{
}
