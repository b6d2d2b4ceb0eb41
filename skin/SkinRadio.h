#pragma once

#include "skin/SkinCheckCtrl.h"

class QRadioButton;

// A radio button drawn from section "Radio_<id>" ("RadioButton" strip,
// "RadioBmpWidth" cells), its label in the section's "TextColor" (grey
// 0x646464 while disabled, as the check box's). Hooks the button and lives as
// long as it. GUI thread.
class CSkinRadio : public CSkinCheckCtrl
{
    Q_OBJECT
public:
    explicit CSkinRadio(QRadioButton* radio);

    // Placement, strip and label colour; placed in every case. True when the
    // strip loaded.
    bool LoadSkin(const QString& themePath);
};
