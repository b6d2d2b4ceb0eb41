#pragma once

#include <QColor>
#include <QPalette>

class QPainter;
class QRect;

// The desktop's button colours, read from the application palette when a
// widget is made (the widgets keep them; a palette change later is not seen).
struct SystemColors
{
    QColor highlight; // lit edge of a raised button
    QColor shadow;    // dark edge of a raised button
    QColor frame;     // window frame, near black
    QColor face;      // button face

    static SystemColors FromPalette(const QPalette& palette);
    static SystemColors FromApplication();
};

// A one-pixel frame just inside rect: top and left edges in topLeft, bottom and
// right edges in bottomRight (raised when topLeft is the lighter colour).
void Draw3dRect(QPainter& painter, const QRect& rect, const QColor& topLeft,
                const QColor& bottomRight);
