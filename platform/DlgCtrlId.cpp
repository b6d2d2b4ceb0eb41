#include "platform/DlgCtrlId.h"

#include <QObject>
#include <QVariant>

namespace {
constexpr char kProperty[] = "zuvoDlgCtrlId";
}

int GetDlgCtrlID(const QObject* control)
{
    if (!control)
        return 0;
    const QVariant id = control->property(kProperty);
    return id.isValid() ? id.toInt() : 0;
}

void SetDlgCtrlID(QObject* control, int id)
{
    if (control)
        control->setProperty(kProperty, id);
}
