#include "ArtKit.h"

#include <QPainter>

#include <cstdio>

namespace ArtKit {

QImage NewImage(int width, int height, const QColor& fill)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

void Fill(QImage& image, const QRect& rect, const QColor& colour)
{
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            image.setPixel(x, y, colour.rgb());
}

void HLine(QImage& image, int x0, int x1, int y, const QColor& colour)
{
    Fill(image, QRect(QPoint(x0, y), QPoint(x1, y)), colour);
}

void VLine(QImage& image, int x, int y0, int y1, const QColor& colour)
{
    Fill(image, QRect(QPoint(x, y0), QPoint(x, y1)), colour);
}

void Frame(QImage& image, const QRect& rect, const QColor& colour)
{
    HLine(image, rect.left(), rect.right(), rect.top(), colour);
    HLine(image, rect.left(), rect.right(), rect.bottom(), colour);
    VLine(image, rect.left(), rect.top(), rect.bottom(), colour);
    VLine(image, rect.right(), rect.top(), rect.bottom(), colour);
}

void CutCorners(QImage& image, const QRect& rect, int r, bool topLeft, bool topRight,
                bool bottomLeft, bool bottomRight, const QColor& edge)
{
    // Offsets of a small quarter circle, row by row from the corner: how many
    // pixels of the row lie outside the arc.
    const int outside3[] = {3, 1, 1};
    const int outside2[] = {2, 1};
    const int* outside = r >= 3 ? outside3 : outside2;
    const int rows = r >= 3 ? 3 : 2;
    const auto corner = [&](bool left, bool top) {
        for (int i = 0; i < rows; ++i) {
            const int y = top ? rect.top() + i : rect.bottom() - i;
            for (int j = 0; j < outside[i]; ++j) {
                const int x = left ? rect.left() + j : rect.right() - j;
                image.setPixel(x, y, Colour::kKey.rgb());
            }
            if (edge.isValid()) {
                const int x = left ? rect.left() + outside[i] : rect.right() - outside[i];
                image.setPixel(x, y, edge.rgb());
            }
        }
    };
    if (topLeft)
        corner(true, true);
    if (topRight)
        corner(false, true);
    if (bottomLeft)
        corner(true, false);
    if (bottomRight)
        corner(false, false);
}

void ShapeOnKey(QImage& image, const QRect& cell, const QColor& under,
                const std::function<void(QPainter&)>& draw)
{
    QImage face(cell.size(), QImage::Format_RGB32);
    face.fill(under);
    QImage coverage(cell.size(), QImage::Format_ARGB32);
    coverage.fill(Qt::transparent);
    {
        QPainter p(&face);
        p.setRenderHint(QPainter::Antialiasing);
        draw(p);
    }
    {
        QPainter p(&coverage);
        p.setRenderHint(QPainter::Antialiasing);
        draw(p);
    }
    for (int y = 0; y < cell.height(); ++y) {
        for (int x = 0; x < cell.width(); ++x) {
            const bool touched = qAlpha(coverage.pixel(x, y)) != 0;
            image.setPixel(cell.x() + x, cell.y() + y,
                           touched ? face.pixel(x, y) : Colour::kKey.rgb());
        }
    }
}

void Glyph(QImage& image, const QPainterPath& path, const QColor& colour, qreal penWidth)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    if (penWidth > 0) {
        p.setPen(QPen(colour, penWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        p.setBrush(Qt::NoBrush);
    } else {
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
    }
    p.drawPath(path);
}

bool Save(const QImage& image, const QString& path)
{
    if (image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "skin-art: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace ArtKit
