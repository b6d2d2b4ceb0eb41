#pragma once

#include <QColor>

#include <cstdint>

// Colours given as 0x00BBGGRR values, as stored files and tables carry them.
inline QColor ColorFromRef(uint32_t ref)
{
    return QColor(static_cast<int>(ref & 0xFF), static_cast<int>((ref >> 8) & 0xFF),
                  static_cast<int>((ref >> 16) & 0xFF));
}

inline uint32_t RefFromColor(const QColor& color)
{
    return static_cast<uint32_t>(color.red()) | (static_cast<uint32_t>(color.green()) << 8) |
           (static_cast<uint32_t>(color.blue()) << 16);
}
