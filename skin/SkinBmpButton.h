#pragma once

#include "skin/BmpButtonSkin.h"
#include "skin/SkinShapedButton.h"

#include <QString>

class QPushButton;

// A button drawn entirely from its own image strip (BmpButtonSkin), placed
// and sized by its section whatever the dialog said, shaped to the cell's
// non-magenta pixels, with a pointing-hand cursor when "Hand" asks. The
// checked cell shows only for a checkable button (the toggles); a plain
// command button never looks checked. No caption. Hooks the button and lives
// as long as it. GUI thread.
class CSkinBmpButton : public CSkinShapedButton
{
    Q_OBJECT
public:
    explicit CSkinBmpButton(QPushButton* button);

    // Reads "BmpButton_<id>"; on success places the button and answers true.
    // Otherwise the button keeps its standard look, place and size.
    bool LoadSkin(const QString& themePath);
    // Places the button by its section and rebuilds its face.
    void RefreshSkin() override;
    // Sets the check state of a checkable button and repaints at once.
    void SetCheck(bool checked);
    // The cell for the current state: 4 checked, 2 pressed under the pointer,
    // 1 hovered, else 0 (a disabled button shows 0).
    int CurrentCell() const;

    const BmpButtonSkin& Skin() const { return m_skin; }

protected:
    QImage RenderFace() const override;

private:
    BmpButtonSkin m_skin;
};
