#pragma once

#include "skin/MyBitmap.h"

#include <QImage>
#include <QSize>
#include <QString>

// The one image every push button of a dialog is drawn from (section
// "Buttons"): five cells side by side (0 normal, 1 pressed, 2 disabled,
// 3 hover, 4 focused), drawn in nine parts so any button size fits: corners
// 1:1, edges and centre stretched. Owned by the frame skin. GUI thread.
class ButtonSkin
{
public:
    enum Cell { Normal = 0, Pressed = 1, Disabled = 2, Hover = 3, Focused = 4 };

    // Drops the held image, then reads "Bitmap" and the four edge sizes; false
    // (not loaded) when the image is absent or unreadable.
    bool Load(const QString& themePath);
    bool IsLoaded() const { return m_loaded; }

    // Source columns of cell k: x from k * width / 5 to (k + 1) * width / 5.
    QRect CellRect(int cell) const;
    // The cell drawn in nine parts onto an image of size (black where nothing
    // is drawn, as a fresh memory bitmap); null when not loaded.
    QImage Render(int cell, const QSize& size) const;

private:
    CMyBitmap m_image;
    int m_top = 0;
    int m_left = 0;
    int m_right = 0;
    int m_bottom = 0;
    bool m_loaded = false;
};
