#pragma once

#include "skin/SkinCheckCtrl.h"

class QCheckBox;

// A check box drawn from section "CheckBox_<id>" ("CheckButton" strip,
// "CheckBoxBmpWidth" cells), its caption in the button-text colour. Hooks
// the box and lives as long as it. GUI thread.
class CSkinCheckBox : public CSkinCheckCtrl
{
    Q_OBJECT
public:
    explicit CSkinCheckBox(QCheckBox* box);

    // Placement and strip; the box is placed by its keys even when the strip
    // is missing (it then keeps its standard look). True when the strip loaded.
    bool LoadSkin(const QString& themePath);
};
