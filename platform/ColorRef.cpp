#include "platform/ColorRef.h"

QColor ColorRefToQColor(ColorRef colour)
{
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

ColorRef QColorToColorRef(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return MakeColorRef(static_cast<uint8_t>(rgb.red()), static_cast<uint8_t>(rgb.green()),
                        static_cast<uint8_t>(rgb.blue()));
}
