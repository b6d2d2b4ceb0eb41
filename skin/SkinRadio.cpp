#include "skin/SkinRadio.h"

#include "platform/DlgCtrlId.h"
#include "skin/SkinHelpers.h"

#include <QRadioButton>

CSkinRadio::CSkinRadio(QRadioButton* radio) : CSkinCheckCtrl(radio) {}

bool CSkinRadio::LoadSkin(const QString& themePath)
{
    const QString section = QStringLiteral("Radio_%1").arg(GetDlgCtrlID(Button()));
    SetTextColour(ReadProfileColor(section, QStringLiteral("TextColor"), themePath, 0));
    return LoadCells(themePath, section, QStringLiteral("RadioButton"),
                     QStringLiteral("RadioBmpWidth"));
}
