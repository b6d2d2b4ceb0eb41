#pragma once

#include <QColor>

#include <cstdint>

// A colour as the stored settings and the drawing code of both programs hold
// it: 0x00BBGGRR (red in the low byte).
using ColorRef = uint32_t;

constexpr ColorRef MakeColorRef(uint8_t red, uint8_t green, uint8_t blue)
{
    return static_cast<ColorRef>(red) | static_cast<ColorRef>(green) << 8 |
           static_cast<ColorRef>(blue) << 16;
}

// Opaque QColor of the colour; the top byte is ignored.
QColor ColorRefToQColor(ColorRef colour);
// The colour's red, green and blue; alpha is dropped.
ColorRef QColorToColorRef(const QColor& colour);
