#pragma once

#include "skin/MyBitmap.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinPlacement.h"
#include "skin/SubclassWnd.h"

#include "platform/ColorRef.h"

#include <QAbstractButton>
#include <QPointer>

// What the skinned check box and radio button share: a strip of six square
// cells (0 unchecked, 1 checked, 2 and 3 the same hovered or focused, 4 and 5
// the same disabled), the cell centred vertically at the left with the
// caption 3 px after it, hover followed by the mouse, placement by the
// section's keys. The button's own toggling and signals stay as they are; the
// second press of a double click is swallowed. The dialog shows through
// where nothing is drawn (Qt paints the parent under a child that does not
// fill its background), so no copy of the parent's pixels is kept.
// GUI thread.
class CSkinCheckCtrl : public CSubclassWnd, public CSkinCtrl
{
    Q_OBJECT
public:
    enum Cell {
        Unchecked = 0,
        Checked = 1,
        HotUnchecked = 2,
        HotChecked = 3,
        DisabledUnchecked = 4,
        DisabledChecked = 5
    };

    explicit CSkinCheckCtrl(QAbstractButton* button);

    bool IsLoaded() const { return m_loaded; }
    bool IsHover() const { return m_hover; }
    int CellSize() const { return m_cellSize; }
    int CurrentCell() const;
    const CSkinPlacement& Placement() const { return m_placement; }

    // Places the control by its section's keys.
    void RefreshSkin() override;
    bool WindowProc(QEvent* event) override;

protected:
    QAbstractButton* Button() const { return m_button; }
    // Reads the placement of section, then the strip under imageKey with its
    // cell size under sizeKey, "Trans" and "TransColor"; then places the
    // control in every case. False (standard look) when the image is absent
    // or unreadable.
    bool LoadCells(const QString& themePath, const QString& section, const QString& imageKey,
                   const QString& sizeKey);
    void SetTextColour(ColorRef colour) { m_textColour = colour; }

private:
    void Paint();

    QPointer<QAbstractButton> m_button;
    CMyBitmap m_image;
    CSkinPlacement m_placement;
    int m_cellSize = 0;
    int m_trans = 0;
    ColorRef m_transColour = 0xFF00FF;
    ColorRef m_textColour = 0;
    bool m_loaded = false;
    bool m_hover = false;
};
