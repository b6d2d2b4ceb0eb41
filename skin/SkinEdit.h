#pragma once

#include "platform/ColorRef.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinPlacement.h"
#include "skin/SubclassWnd.h"

#include <QLineEdit>
#include <QPointer>

// A flat line edit coloured from section "Edit_<id>": "TextColor" (black),
// "BackGroundColor" (white), a one-pixel "BorderColor" frame round the text
// area (the button face) and "DisableColor" (grey text) for the text of a
// read-only or disabled edit. Placed by the section's keys; without them it
// goes back to where the dialog put it. Hooks the edit and lives as long as
// it. GUI thread.
class CSkinEdit : public CSubclassWnd, public CSkinCtrl
{
    Q_OBJECT
public:
    explicit CSkinEdit(QLineEdit* edit);

    // Reads the section and applies it; always true (no image is needed).
    bool LoadSkin(const QString& themePath);
    void RefreshSkin() override;
    bool WindowProc(QEvent* event) override;

    bool IsLoaded() const { return m_loaded; }
    ColorRef BorderColour() const { return m_border; }

protected:
    QLineEdit* Edit() const { return m_edit; }

private:
    void ApplyColours();

    QPointer<QLineEdit> m_edit;
    CSkinPlacement m_placement;
    ColorRef m_border = 0;
    ColorRef m_background = 0xFFFFFF;
    ColorRef m_text = 0;
    ColorRef m_disabled = 0;
    bool m_loaded = false;
};
