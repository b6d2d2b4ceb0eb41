#pragma once

#include "skin/MyBitmap.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinPlacement.h"
#include "skin/SubclassWnd.h"

#include <QPoint>
#include <QRect>

class CTabCtrl;
class QPainter;

// A CTabCtrl drawn from one theme image: each tab a button in three slices
// (left edge, tiled middle, right edge) chosen by its place (first, middle,
// last) and state (normal, hovered, pressed, selected), a one-pixel frame round
// the page area, and labels in the theme's colour. A press only marks a tab;
// the release on the same tab selects it and emits SelChange. GUI thread.
class CSkinTabCtrl : public CSubclassWnd, public CSkinCtrl
{
    Q_OBJECT
public:
    // Hooks tab when it is a plain CTabCtrl; null for a class of the dialog's own.
    static CSkinTabCtrl* Wrap(QWidget* tab);

    // Reads "TabCtrl_<id>"; false, leaving the standard look, when its
    // "TabButtonImage" is missing or does not load.
    bool LoadSkin(const QString& iniPath);
    // Sets the label padding (when loaded) and applies the theme placement.
    void RefreshSkin() override;

    bool IsLoaded() const { return m_loaded; }
    CTabCtrl* Tab() const;
    int HoverIndex() const { return m_hover; }
    int PressedIndex() const { return m_pressed; }

    // The tab's rectangle as the mouse and the drawing see it: 2 px wider on
    // the left and one button high.
    QRect HitRect(int index) const;
    // The last tab whose hit rectangle holds point, or -1.
    int HitTab(const QPoint& point) const;
    // Where the label of the tab goes and its text as drawn (cut with an
    // ellipsis to fit).
    QRect LabelRect(int index, QString* text) const;
    // The top-left of the tab's button in the image.
    QPoint ButtonSource(int index) const;

protected:
    bool WindowProc(QEvent* event) override;

private:
    enum Place { kFirst, kMid, kLast };
    void Paint();
    void DrawItem(QPainter& painter, int index);

    bool m_loaded = false;
    CMyBitmap m_image;
    bool m_trans = false;
    ColorRef m_transColor = 0xFF00FF;
    ColorRef m_borderColor = 0xFF00FF;
    ColorRef m_textColor = 0;
    QPoint m_select[3];
    QPoint m_normal[3];
    QPoint m_over[3];
    QPoint m_down[3];
    int m_pendingX = 0;
    int m_pendingY = 0;
    int m_buttonHeight = 0;
    int m_buttonWidth = 0;
    int m_hover = -1;
    int m_pressed = -1;
    CSkinPlacement m_placement;
};
