#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRect>
#include <QString>

#include <functional>

// Drawing helpers of the theme art generator: one palette, pixel-exact fills
// and lines, shapes cut out against the key colour. Images are RGB32.
namespace ArtKit {

// The palette of both themes: calm greys with one accent colour.
namespace Colour {
const QColor kKey(255, 0, 255); // the key colour every theme image leaves out
const QColor kCanvas(0xEC, 0xEF, 0xF3);
const QColor kSurface(0xFF, 0xFF, 0xFF);
const QColor kSubtle(0xF5, 0xF7, 0xF9);
const QColor kLine(0xC3, 0xCA, 0xD2);
const QColor kLineSoft(0xDD, 0xE2, 0xE7);
const QColor kOutline(0xA3, 0xAD, 0xB8);
const QColor kText(0x1F, 0x29, 0x33);
const QColor kMuted(0x7B, 0x87, 0x94);
const QColor kAccent(0x0E, 0x7C, 0x86);
const QColor kAccentDark(0x0A, 0x5C, 0x64);
const QColor kTint(0xD4, 0xEC, 0xEE);
const QColor kTintLight(0xE9, 0xF5, 0xF6);
} // namespace Colour

QImage NewImage(int width, int height, const QColor& fill);
void Fill(QImage& image, const QRect& rect, const QColor& colour);
// A 1-px rectangle outline along rect's edges.
void Frame(QImage& image, const QRect& rect, const QColor& colour);
void HLine(QImage& image, int x0, int x1, int y, const QColor& colour);
void VLine(QImage& image, int x, int y0, int y1, const QColor& colour);
// Turns the pixels of a rounded corner of rect (radius r) into the key colour
// and draws its 1-px arc in edge (invalid edge: no arc).
void CutCorners(QImage& image, const QRect& rect, int r, bool topLeft, bool topRight,
                bool bottomLeft, bool bottomRight, const QColor& edge);
// Draws path antialiased onto a cell that is filled with under, then makes
// every pixel the path does not touch at all the key colour: the soft edge
// blends into under, never into the key colour.
void ShapeOnKey(QImage& image, const QRect& cell, const QColor& under,
                const std::function<void(class QPainter&)>& draw);
// Draws path antialiased in colour (a glyph on a face that is already drawn).
void Glyph(QImage& image, const QPainterPath& path, const QColor& colour, qreal penWidth = 0);

bool Save(const QImage& image, const QString& path);

} // namespace ArtKit
