#pragma once

// A skinned list theme for tests: every image a flat colour of its own, the
// bar sizes of the shipped themes (arrows 12, thumbs 24, caps 2) except a
// right arrow 16 wide.
#include "ControlTheme.h"

namespace ListTheme {

const QColor kSpan(10, 200, 10);
const QColor kStart(200, 10, 10);
const QColor kEnd(10, 10, 200);
const QColor kUp(201, 201, 1);
const QColor kDown(1, 201, 201);
const QColor kThumb(250, 120, 0);
const QColor kTrack(60, 60, 60);
const QColor kRowBack(240, 240, 230);
const QColor kRowText(20, 20, 20);
const QColor kSelBack(14, 124, 134);
const QColor kSelText(255, 255, 254);

inline void Write(const ControlTheme& theme, bool withLastImage = true)
{
    theme.Solid("span.png", 8, 20, kSpan);
    theme.Solid("start.png", 2, 20, kStart);
    theme.Solid("end.png", 2, 20, kEnd);
    theme.Solid("cap.png", 12, 2, kTrack);
    theme.Solid("up.png", 12, 12, kUp);
    theme.Solid("down.png", 12, 12, kDown);
    theme.Solid("vthumb.png", 12, 24, kThumb);
    theme.Solid("hthumb.png", 24, 12, kThumb);
    theme.Solid("track.png", 4, 4, kTrack);
    theme.Solid("right.png", 16, 12, kDown);
    theme.Solid("left.png", 12, 12, kUp);
    QByteArray ini =
        "[ListCtrl_9]\nListColumnHeaderSpan=span.png\nListColumnHeaderStart=start.png\n"
        "ListColumnHeaderEnd=end.png\nListVerticleScrollbarTop=cap.png\n"
        "ListVerticleScrollBarUpArrow=up.png\nListVerticleScrollBarThumb=vthumb.png\n"
        "ListVerticleScrollBarSpan=track.png\nListVerticleScrollBarDownArrow=down.png\n"
        "ListVerticleScrollbarBottom=cap.png\nListHorizontalScrollBarThumb=hthumb.png\n"
        "ListHorizontalScrollBarSpan=track.png\n"
        "ListHorizontalScrollBarRightArrow=right.png\n"
        "HighLightForeground=255 255 254\nHighLightBackground=14 124 134\n"
        "TextColor=20 20 20\nTextBkColor=240 240 230\nVerTopHeight=2\n"
        "VerBottomHeight=2\nVerThumbHeight=24\nHorThumbWidth=24\n"
        "HorRightArrowWidth=16\n";
    if (withLastImage)
        ini += "ListHorizontalScrollBarLeftArrow=left.png\n";
    theme.Ini(ini);
}

} // namespace ListTheme
