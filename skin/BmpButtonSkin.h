#pragma once

#include "skin/MyBitmap.h"

#include <QString>

// The image strip and placement of one bitmap button (section
// "BmpButton_<id>"): cells stacked downwards, "Space" apart, 0 normal,
// 1 hover, 2 pressed, 4 checked (3 unused). GUI thread.
class BmpButtonSkin
{
public:
    enum Cell { Normal = 0, Hover = 1, Pressed = 2, Checked = 4 };

    // "Bitmap" first (absent or unreadable: false, not loaded), then the
    // cell geometry, placement, "Trans", "Hand" and "TransColor".
    bool Load(const QString& themePath, const QString& section);
    bool IsLoaded() const { return m_loaded; }

    // Cell k: (Left, Top + k * (Height + Space)) sized Width x Height.
    QRect CellRect(int cell) const;

    CMyBitmap image;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int space = 0;
    int trans = 0;
    int hand = 0;
    ColorRef transColour = 0xFF00FF;
    int posLeft = 0;
    int posTop = 0;

private:
    bool m_loaded = false;
};
