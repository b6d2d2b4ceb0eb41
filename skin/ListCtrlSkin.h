#pragma once

#include "platform/ColorRef.h"
#include "skin/MyBitmap.h"

#include <QString>

// What one "ListCtrl_<id>" theme section gives a skinned list, its header and
// its two bitmap scroll bars: thirteen images, the bar geometry in pixels,
// fonts and colours. Owned by the list; the header and bars read it. GUI thread.
struct ListCtrlSkin
{
    CMyBitmap headerSpan;  // stretched over the whole header
    CMyBitmap headerStart; // left end of each column
    CMyBitmap headerEnd;   // right of each column's edge
    CMyBitmap verTop;
    CMyBitmap verUpArrow;
    CMyBitmap verThumb;
    CMyBitmap verSpan;
    CMyBitmap verDownArrow;
    CMyBitmap verBottom;
    CMyBitmap horThumb;
    CMyBitmap horSpan;
    CMyBitmap horRightArrow;
    CMyBitmap horLeftArrow;

    int verBarWidth = 0;
    int verTopHeight = 0;
    int verBottomHeight = 0;
    int verUpArrowHeight = 0;
    int verDownArrowHeight = 0;
    int verThumbHeight = 0;
    int horBarHeight = 0;
    int horRightArrowWidth = 0;
    int horLeftArrowWidth = 0;
    int horThumbWidth = 0;

    // The look before any theme is read; a theme that leaves a colour out gets
    // Load's defaults instead.
    ColorRef highLightForeground = 0xE5E5E5;
    ColorRef highLightBackground = 0xA57B73;
    ColorRef textBkColor = 0x76554C;
    ColorRef textColor = 0xDEDEDE;
    int fontSize = 0;     // pixels
    int headFontSize = 0; // pixels
    QString headFontName;
    QString fontName;
    bool loaded = false;

    // Reads section of the theme. The images come first, in the order above;
    // the first one missing or unreadable ends the read with false, leaving
    // loaded as it was and nothing after it read.
    bool Load(const QString& themePath, const QString& section);
};
