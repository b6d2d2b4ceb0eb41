#include "skin/ButtonSkin.h"

#include "skin/ProfileFile.h"
#include "skin/SkinHelpers.h"
#include "skin/ThemeSize.h"

#include <QPainter>

namespace {
const QString kSection = QStringLiteral("Buttons");
}

bool ButtonSkin::Load(const QString& themePath)
{
    m_loaded = false;
    m_image.DeleteObject();
    if (!LoadThemeImage(m_image, kSection, QStringLiteral("Bitmap"), themePath))
        return false;
    const CProfileFile theme = CProfileFile::Load(themePath);
    m_top = ThemeSize(theme.GetInt(kSection, QStringLiteral("TopHeight"), 0));
    m_left = ThemeSize(theme.GetInt(kSection, QStringLiteral("LeftWidth"), 0));
    m_right = ThemeSize(theme.GetInt(kSection, QStringLiteral("RightWidth"), 0));
    m_bottom = ThemeSize(theme.GetInt(kSection, QStringLiteral("BottomHeight"), 0));
    m_loaded = true;
    return true;
}

QRect ButtonSkin::CellRect(int cell) const
{
    const int width = m_image.GetWidth();
    const int x0 = cell * width / 5;
    const int x1 = (cell + 1) * width / 5;
    return QRect(x0, 0, x1 - x0, m_image.GetHeight());
}

QImage ButtonSkin::Render(int cell, const QSize& size) const
{
    if (!m_loaded || size.isEmpty())
        return QImage();
    QImage out(size, QImage::Format_RGB32);
    out.fill(Qt::black);
    QPainter dc(&out);
    const QRect c = CellRect(cell);
    const int x0 = c.left();
    const int x1 = c.left() + c.width();
    const int h = c.height();
    const int cw = size.width();
    const int ch = size.height();
    const int t = m_top, b = m_bottom, l = m_left, r = m_right;
    // Rectangles from edge coordinates, as the nine parts are described.
    const auto edges = [](int left, int top, int right, int bottom) {
        return QRect(left, top, right - left, bottom - top);
    };
    const auto corner = [&](int sx, int sy, int w, int hh, int dx, int dy) {
        const QRect source(sx, sy, w, hh);
        m_image.Draw(&dc, dx, dy, &source);
    };
    const auto stretch = [&](const QRect& source, const QRect& destination) {
        if (source.width() > 0 && source.height() > 0 && destination.width() > 0 &&
            destination.height() > 0)
            m_image.StretchDraw(&dc, destination, &source);
    };
    corner(x0, 0, l, t, 0, 0);
    corner(x1 - r, 0, r, t, cw - r, 0);
    corner(x0, h - b, l, b, 0, ch - b);
    corner(x1 - r, h - b, r, b, cw - r, ch - b);
    stretch(edges(x0 + l, 0, x1 - r, t), edges(l, 0, cw - r, t));
    stretch(edges(x0 + l, h - b, x1 - r, h), edges(l, ch - b, cw - r, ch));
    stretch(edges(x0, t, x0 + l, h - b), edges(0, t, l, ch - b));
    stretch(edges(x1 - r, t, x1, h - b), edges(cw - r, t, cw, ch - b));
    stretch(edges(x0 + l, t, x1 - r, h - b), edges(l, t, cw - r, ch - b));
    return out;
}
