#include "skin/SkinCheckBox.h"

#include "platform/DlgCtrlId.h"

#include <QCheckBox>

CSkinCheckBox::CSkinCheckBox(QCheckBox* box) : CSkinCheckCtrl(box)
{
    SetTextColour(QColorToColorRef(box->palette().color(QPalette::ButtonText)));
}

bool CSkinCheckBox::LoadSkin(const QString& themePath)
{
    return LoadCells(themePath, QStringLiteral("CheckBox_%1").arg(GetDlgCtrlID(Button())),
                     QStringLiteral("CheckButton"), QStringLiteral("CheckBoxBmpWidth"));
}
