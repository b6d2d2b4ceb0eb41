#include "editor/Paint3d.h"

#include <QGuiApplication>
#include <QPainter>
#include <QRect>

SystemColors SystemColors::FromPalette(const QPalette& palette)
{
    SystemColors colors;
    colors.highlight = palette.color(QPalette::Active, QPalette::Light);
    colors.shadow = palette.color(QPalette::Active, QPalette::Dark);
    colors.frame = palette.color(QPalette::Active, QPalette::Shadow);
    colors.face = palette.color(QPalette::Active, QPalette::Button);
    return colors;
}

SystemColors SystemColors::FromApplication()
{
    return FromPalette(QGuiApplication::palette());
}

void Draw3dRect(QPainter& painter, const QRect& rect, const QColor& topLeft,
                const QColor& bottomRight)
{
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    const int x = rect.x(), y = rect.y(), w = rect.width(), h = rect.height();
    painter.fillRect(x, y, w - 1, 1, topLeft);
    painter.fillRect(x, y, 1, h - 1, topLeft);
    painter.fillRect(x + w - 1, y, 1, h, bottomRight);
    painter.fillRect(x, y + h - 1, w, 1, bottomRight);
}
