#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

class QWidget;

// Where the client area of widget's parent begins in the parent's own
// coordinates: inside the frame of a skinned dialog, (0, 0) anywhere else.
// Theme positions count from there. GUI thread.
QPoint SkinClientOrigin(const QWidget* widget);
// Records the client origin of a dialog whose frame is drawn in its margins.
void SetSkinClientOrigin(QWidget* dialog, const QPoint& origin);

// The placement a theme section may give a control: "PosX", "PosY" (in the
// parent's client area), "Width" and "Height", each -1 (or absent) for "keep
// what the dialog gave". GUI thread.
class CSkinPlacement
{
public:
    // Reads the four keys of section; absent keys read -1.
    void Load(const QString& themePath, const QString& section);

    // The first call remembers the widget's geometry. Then, when PosX and PosY
    // are both >= 0, moves it there (in the parent's client area), sized Width x Height where
    // those are >= 0 and as remembered otherwise; without both it stays where it is.
    void Apply(QWidget* widget);

    int PosX() const { return m_posX; }
    int PosY() const { return m_posY; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // The geometry remembered by the first Apply, in the parent's client area
    // (null before it).
    QRect Home() const { return m_home; }
    // Home() in the parent's own coordinates, as the client area lies now.
    QRect HomeIn(const QWidget* widget) const;
    bool HasHome() const { return m_homeTaken; }

private:
    int m_posX = -1;
    int m_posY = -1;
    int m_width = -1;
    int m_height = -1;
    QRect m_home;
    bool m_homeTaken = false;
};
