#pragma once

#include <QString>

// One timed line of a song's lyrics.
struct CLyricsParagraph
{
    int start = 0;    // ms
    int duration = 0; // ms to the next line's start; 0 for the last line
    int width = 0;    // pixels of text in the display's font
    QString text;     // the lyric followed by one space
};
