#include "skin/DlgCtrlId.h"

#include <QVariant>
#include <QWidget>

namespace {
constexpr char kProperty[] = "zuvoDlgCtrlId";
}

int GetDlgCtrlID(const QWidget* widget)
{
    if (!widget)
        return 0;
    const QVariant id = widget->property(kProperty);
    return id.isValid() ? id.toInt() : 0;
}

void SetDlgCtrlID(QWidget* widget, int id)
{
    if (widget)
        widget->setProperty(kProperty, id);
}
