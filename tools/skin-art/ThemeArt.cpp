#include "ThemeArt.h"

#include "ArtKit.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <vector>

using namespace ArtKit;
namespace C = ArtKit::Colour;

namespace {

constexpr int kSide = 5;   // left, right and bottom frame widths
constexpr int kStrip = 48; // length of the tiled frame strips
// The top strip ends in a piece as wide as the title buttons' row (the themes'
// "TopBotHeight"), where the caption text stops.
constexpr int kTopStrip = 144;

// --- frame ---------------------------------------------------------------

// Active and inactive halves differ only in the top edge: the active window
// carries a 2-px accent line.
QImage Top(int t)
{
    QImage image = NewImage(kTopStrip, 2 * t, C::kSurface);
    for (int half = 0; half < 2; ++half) {
        const int y0 = half * t;
        if (half == 0) {
            HLine(image, 0, kTopStrip - 1, y0, C::kAccent);
            HLine(image, 0, kTopStrip - 1, y0 + 1, C::kAccent);
        } else {
            HLine(image, 0, kTopStrip - 1, y0, C::kOutline);
        }
        HLine(image, 0, kTopStrip - 1, y0 + t - 1, C::kLineSoft);
    }
    return image;
}

// Left or right strip: the caption corner on top (rounded, cut with the key
// colour), the canvas-coloured side, and the bottom corner.
QImage Side(int t, bool left)
{
    const int height = t + 24;
    QImage image = NewImage(2 * kSide, height, C::kCanvas);
    for (int half = 0; half < 2; ++half) {
        const int x0 = half * kSide;
        const QRect band(x0, 0, kSide, height);
        Fill(image, QRect(x0, 0, kSide, t), C::kSurface);
        const int outer = left ? x0 : x0 + kSide - 1;
        VLine(image, outer, 0, height - 1, C::kOutline);
        HLine(image, x0, x0 + kSide - 1, t - 1, C::kLineSoft);
        HLine(image, x0, x0 + kSide - 1, height - 1, C::kOutline);
        const QColor top = half == 0 ? C::kAccent : C::kOutline;
        HLine(image, x0, x0 + kSide - 1, 0, top);
        if (half == 0)
            HLine(image, x0, x0 + kSide - 1, 1, top);
        VLine(image, outer, 0, half == 0 ? 1 : 0, top);
        CutCorners(image, band, 3, left, !left, false, false, top);
    }
    return image;
}

QImage Bottom()
{
    QImage image = NewImage(kStrip, 2 * kSide, C::kCanvas);
    HLine(image, 0, kStrip - 1, kSide - 1, C::kOutline);
    HLine(image, 0, kStrip - 1, 2 * kSide - 1, C::kOutline);
    return image;
}

// Title buttons: three cells (normal, pressed, hover) of 28 x 22.
enum class TitleGlyph { Close, Maximise, Restore, Minimise };

QImage TitleButton(TitleGlyph glyph)
{
    const int w = 28, h = 22;
    QImage image = NewImage(3 * w, h, C::kKey);
    const QColor faces[3] = {C::kKey, C::kAccent, C::kTint};
    const QColor inks[3] = {C::kText, C::kSurface, C::kAccentDark};
    for (int cell = 0; cell < 3; ++cell) {
        const QRect r(cell * w, 0, w, h);
        if (cell > 0) {
            Fill(image, r, faces[cell]);
            CutCorners(image, r, 3, true, true, true, true, QColor());
        }
        const QColor ink = inks[cell];
        const int cx = r.x() + w / 2, cy = h / 2;
        switch (glyph) {
        case TitleGlyph::Close:
            for (int i = -4; i <= 4; ++i) {
                image.setPixel(cx + i, cy + i, ink.rgb());
                image.setPixel(cx + i, cy - i, ink.rgb());
            }
            break;
        case TitleGlyph::Maximise:
            Frame(image, QRect(cx - 4, cy - 4, 9, 9), ink);
            break;
        case TitleGlyph::Restore:
            Frame(image, QRect(cx - 4, cy - 2, 7, 7), ink);
            HLine(image, cx - 2, cx + 4, cy - 4, ink);
            VLine(image, cx + 4, cy - 4, cy + 2, ink);
            break;
        case TitleGlyph::Minimise:
            HLine(image, cx - 4, cx + 4, cy, ink);
            break;
        }
    }
    return image;
}

// --- controls --------------------------------------------------------------

// The push-button skin: five 24 x 24 cells (normal, pressed, disabled, hover,
// focused) cut in nine parts with 4-px borders.
QImage PushButtons()
{
    const int s = 24;
    QImage image = NewImage(5 * s, s, C::kKey);
    const QColor fills[5] = {C::kSurface, C::kTint, C::kCanvas, C::kTintLight, C::kSurface};
    const QColor borders[5] = {C::kLine, C::kAccent, C::kLineSoft, C::kAccent, C::kAccent};
    for (int cell = 0; cell < 5; ++cell) {
        const QRect r(cell * s, 0, s, s);
        Fill(image, r, fills[cell]);
        Frame(image, r, borders[cell]);
        CutCorners(image, r, 2, true, true, true, true, borders[cell]);
    }
    return image;
}

// Six square cells: unchecked, checked, unchecked hover, checked hover,
// unchecked disabled, checked disabled.
QImage CheckCells(bool radio)
{
    const int s = 14;
    QImage image = NewImage(6 * s, s, C::kKey);
    for (int cell = 0; cell < 6; ++cell) {
        const bool checked = cell % 2 == 1;
        const bool hover = cell == 2 || cell == 3;
        const bool disabled = cell >= 4;
        const QColor border = disabled ? C::kLine : (hover || checked) ? C::kAccent : C::kOutline;
        const QColor face = disabled  ? (checked ? C::kLine : C::kCanvas)
                            : checked ? (hover ? C::kAccentDark : C::kAccent)
                                      : (hover ? C::kTintLight : C::kSurface);
        const QRect r(cell * s, 0, s, s);
        if (!radio) {
            Fill(image, r.adjusted(0, 0, -1, -1), face);
            Frame(image, r.adjusted(0, 0, -1, -1), checked && !disabled ? face : border);
            CutCorners(image, r.adjusted(0, 0, -1, -1), 2, true, true, true, true,
                       checked && !disabled ? face : border);
            if (checked) {
                QPainterPath tick;
                tick.moveTo(r.x() + 3, 6.5);
                tick.lineTo(r.x() + 5.5, 9);
                tick.lineTo(r.x() + 10, 4);
                Glyph(image, tick, C::kSurface, 1.6);
            }
        } else {
            ShapeOnKey(image, r, C::kCanvas, [&](QPainter& p) {
                p.setPen(QPen(checked && !disabled ? face : border, 1));
                p.setBrush(checked && !disabled ? C::kSurface : face);
                p.drawEllipse(QRectF(0.5, 0.5, s - 2, s - 2));
                if (checked) {
                    p.setPen(Qt::NoPen);
                    p.setBrush(disabled ? C::kSurface : face);
                    p.drawEllipse(QRectF(3.5, 3.5, s - 8, s - 8));
                }
            });
        }
    }
    return image;
}

// Slider: back bar (y 0), fore bar (y 14), thumbs normal, hover and pressed
// (y 28, x 0 / 14 / 28). The bar is 120 px long.
QImage Slider()
{
    QImage image = NewImage(120, 42, C::kKey);
    Fill(image, QRect(0, 5, 120, 4), C::kLine);
    CutCorners(image, QRect(0, 5, 120, 4), 2, true, true, true, true, QColor());
    Fill(image, QRect(0, 19, 120, 4), C::kAccent);
    CutCorners(image, QRect(0, 19, 120, 4), 2, true, true, true, true, QColor());
    const QColor borders[3] = {C::kLine, C::kAccent, C::kAccentDark};
    const QColor faces[3] = {C::kSurface, C::kSurface, C::kAccent};
    for (int i = 0; i < 3; ++i) {
        ShapeOnKey(image, QRect(i * 14, 28, 14, 14), C::kCanvas, [&](QPainter& p) {
            p.setPen(QPen(borders[i], 1));
            p.setBrush(faces[i]);
            p.drawEllipse(QRectF(1.5, 1.5, 11, 11));
        });
    }
    return image;
}

// Tabs: twelve 40 x 24 buttons stacked in one column: selected first, middle
// and last; then normal, hover and pressed of the first, middle and last tab.
QImage Tabs()
{
    const int w = 40, h = 24;
    QImage image = NewImage(w, 12 * h, C::kKey);
    for (int row = 0; row < 12; ++row) {
        const bool selected = row < 3;
        const int place = selected ? row : (row - 3) / 3; // 0 first, 1 middle, 2 last
        const int state = selected ? 0 : (row - 3) % 3;   // normal, hover, pressed
        const QRect r(0, row * h, w, h);
        const QColor face = selected     ? C::kSurface
                            : state == 0 ? C::kCanvas
                            : state == 1 ? C::kTintLight
                                         : C::kTint;
        Fill(image, r, face);
        if (selected) {
            HLine(image, 0, w - 1, r.top(), C::kAccent);
            HLine(image, 0, w - 1, r.top() + 1, C::kAccent);
            VLine(image, 0, r.top(), r.bottom(), C::kLine);
            VLine(image, w - 1, r.top(), r.bottom(), C::kLine);
        } else {
            HLine(image, 0, w - 1, r.top(), C::kLineSoft);
            HLine(image, 0, w - 1, r.bottom(), C::kLine);
            if (place != 0)
                VLine(image, 0, r.top() + 5, r.bottom() - 5, C::kLine);
        }
        CutCorners(image, r, 2, place == 0, place == 2, false, false,
                   selected ? C::kAccent : C::kLineSoft);
    }
    return image;
}

// --- list -------------------------------------------------------------------

QPainterPath Chevron(qreal cx, qreal cy, int direction) // 0 up, 1 down, 2 left, 3 right
{
    QPainterPath path;
    const qreal d = 2.5;
    switch (direction) {
    case 0:
        path.moveTo(cx - d, cy + d / 2), path.lineTo(cx, cy - d / 2),
            path.lineTo(cx + d, cy + d / 2);
        break;
    case 1:
        path.moveTo(cx - d, cy - d / 2), path.lineTo(cx, cy + d / 2),
            path.lineTo(cx + d, cy - d / 2);
        break;
    case 2:
        path.moveTo(cx + d / 2, cy - d), path.lineTo(cx - d / 2, cy),
            path.lineTo(cx + d / 2, cy + d);
        break;
    default:
        path.moveTo(cx - d / 2, cy - d), path.lineTo(cx + d / 2, cy),
            path.lineTo(cx - d / 2, cy + d);
        break;
    }
    return path;
}

QImage Arrow(int direction)
{
    QImage image = NewImage(12, 12, C::kSubtle);
    Glyph(image, Chevron(6, 6, direction), C::kMuted, 1.3);
    return image;
}

QImage Thumb(bool vertical)
{
    QImage image = NewImage(vertical ? 12 : 24, vertical ? 24 : 12, C::kSurface);
    const QRect bar = vertical ? QRect(3, 1, 6, 22) : QRect(1, 3, 22, 6);
    Fill(image, bar, C::kLine);
    CutCorners(image, bar, 2, true, true, true, true, QColor());
    // The cut corners show the bar's track, not the key colour.
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == C::kKey)
                image.setPixelColor(x, y, C::kSurface);
    return image;
}

// --- main dialog ----------------------------------------------------------

// Tool button glyphs, drawn in a 14 x 14 box.
enum class Tool {
    Record,
    Loop,
    PlayFromStart,
    Play,
    Pause,
    Stop,
    ToStart,
    ClearSelection,
    Lyrics,
    DeleteRecording,
    ClearMusic,
    Save,
    Upload,
    Globe,
    Folder,
    Bell,
    Home
};

QPainterPath ToolPath(Tool tool, bool* stroked)
{
    QPainterPath p;
    *stroked = false;
    switch (tool) {
    case Tool::Record:
        p.addEllipse(QRectF(2, 2, 10, 10));
        break;
    case Tool::Play:
        p.moveTo(3, 1), p.lineTo(12, 7), p.lineTo(3, 13), p.closeSubpath();
        break;
    case Tool::PlayFromStart:
        p.addRect(1, 2, 2, 10);
        p.moveTo(5, 2), p.lineTo(13, 7), p.lineTo(5, 12), p.closeSubpath();
        break;
    case Tool::Pause:
        p.addRect(3, 2, 3, 10), p.addRect(8, 2, 3, 10);
        break;
    case Tool::Stop:
        p.addRect(2, 2, 10, 10);
        break;
    case Tool::ToStart:
        p.addRect(1, 2, 2, 10);
        p.moveTo(8, 2), p.lineTo(3.5, 7), p.lineTo(8, 12), p.closeSubpath();
        p.moveTo(13, 2), p.lineTo(8.5, 7), p.lineTo(13, 12), p.closeSubpath();
        break;
    case Tool::ClearSelection:
        *stroked = true;
        p.moveTo(4, 1.5), p.lineTo(1.5, 1.5), p.lineTo(1.5, 12.5), p.lineTo(4, 12.5);
        p.moveTo(10, 1.5), p.lineTo(12.5, 1.5), p.lineTo(12.5, 12.5), p.lineTo(10, 12.5);
        p.moveTo(5, 5), p.lineTo(9, 9), p.moveTo(9, 5), p.lineTo(5, 9);
        break;
    case Tool::Lyrics:
        *stroked = true;
        p.moveTo(1, 3.5), p.lineTo(13, 3.5);
        p.moveTo(1, 7.5), p.lineTo(13, 7.5);
        p.moveTo(1, 11.5), p.lineTo(8, 11.5);
        break;
    case Tool::Loop:
        *stroked = true;
        p.moveTo(3, 9), p.lineTo(3, 4.5), p.lineTo(11, 4.5);
        p.moveTo(9, 2.5), p.lineTo(11, 4.5), p.lineTo(9, 6.5);
        p.moveTo(11, 5), p.lineTo(11, 9.5), p.lineTo(3, 9.5);
        p.moveTo(5, 7.5), p.lineTo(3, 9.5), p.lineTo(5, 11.5);
        break;
    case Tool::DeleteRecording:
        *stroked = true;
        p.moveTo(1.5, 3.5), p.lineTo(12.5, 3.5);
        p.moveTo(5, 3.5), p.lineTo(5, 1.5), p.lineTo(9, 1.5), p.lineTo(9, 3.5);
        p.moveTo(3, 3.5), p.lineTo(3.5, 12.5), p.lineTo(10.5, 12.5), p.lineTo(11, 3.5);
        p.moveTo(5.5, 6), p.lineTo(5.5, 10.5), p.moveTo(8.5, 6), p.lineTo(8.5, 10.5);
        break;
    case Tool::ClearMusic:
        p.addEllipse(QRectF(1, 8, 5, 4.5));
        p.addRect(4.8, 1.5, 1.4, 8.5);
        p.moveTo(4.8, 1.5), p.lineTo(9.5, 3), p.lineTo(9.5, 4.6), p.lineTo(4.8, 3.2),
            p.closeSubpath();
        p.moveTo(9, 8), p.lineTo(13, 12), p.lineTo(12.2, 12.8), p.lineTo(8.2, 8.8),
            p.closeSubpath();
        p.moveTo(12.2, 8), p.lineTo(13, 8.8), p.lineTo(9, 12.8), p.lineTo(8.2, 12),
            p.closeSubpath();
        break;
    case Tool::Save:
    case Tool::Upload:
        *stroked = true;
        p.moveTo(1.5, 9), p.lineTo(1.5, 12.5), p.lineTo(12.5, 12.5), p.lineTo(12.5, 9);
        p.moveTo(7, 1), p.lineTo(7, 9.5);
        if (tool == Tool::Save)
            p.moveTo(3.5, 6), p.lineTo(7, 9.5), p.lineTo(10.5, 6);
        else
            p.moveTo(3.5, 4.5), p.lineTo(7, 1), p.lineTo(10.5, 4.5);
        break;
    case Tool::Globe:
        *stroked = true;
        p.addEllipse(QRectF(1.5, 1.5, 11, 11));
        p.addEllipse(QRectF(4.5, 1.5, 5, 11));
        p.moveTo(1.5, 7), p.lineTo(12.5, 7);
        break;
    case Tool::Folder:
        *stroked = true;
        p.moveTo(1.5, 2.5), p.lineTo(5.5, 2.5), p.lineTo(7, 4.5), p.lineTo(12.5, 4.5);
        p.lineTo(12.5, 12.5), p.lineTo(1.5, 12.5), p.closeSubpath();
        break;
    case Tool::Bell:
        *stroked = true;
        p.moveTo(2, 11), p.lineTo(3.5, 9), p.lineTo(3.5, 6);
        p.arcTo(QRectF(3.5, 2, 7, 7), 180, -180);
        p.lineTo(10.5, 9), p.lineTo(12, 11), p.closeSubpath();
        p.moveTo(5.5, 12.5), p.lineTo(8.5, 12.5);
        break;
    case Tool::Home:
        *stroked = true;
        p.moveTo(1, 7), p.lineTo(7, 1.5), p.lineTo(13, 7);
        p.moveTo(3, 5.5), p.lineTo(3, 12.5), p.lineTo(11, 12.5), p.lineTo(11, 5.5);
        p.moveTo(6, 12.5), p.lineTo(6, 9), p.lineTo(8, 9), p.lineTo(8, 12.5);
        break;
    }
    return p;
}

// A tool button cell: rounded face, glyph centred. States stacked downwards:
// 0 normal, 1 hover, 2 pressed, 3 unused, 4 checked.
void ToolCell(QImage& image, const QRect& r, int state, const QPainterPath& glyph, bool stroked)
{
    if (state == 3)
        return;
    const QColor face = state == 0   ? C::kSurface
                        : state == 1 ? C::kTintLight
                        : state == 2 ? C::kAccent
                                     : C::kTint;
    const QColor border = state == 0 ? C::kLine : state == 2 ? C::kAccentDark : C::kAccent;
    const QColor ink = state == 0 ? C::kText : state == 2 ? C::kSurface : C::kAccentDark;
    Fill(image, r, face);
    Frame(image, r, border);
    CutCorners(image, r, 3, true, true, true, true, border);
    if (state == 4) // a button that is on carries a bar along its foot
        HLine(image, r.left() + 6, r.right() - 6, r.bottom() - 2, C::kAccent);
    const QPainterPath placed =
        glyph.translated(r.x() + (r.width() - 14) / 2, r.y() + (r.height() - 14) / 2);
    Glyph(image, placed, ink, stroked ? 1.2 : 0);
}

constexpr int kToolW = 30, kToolH = 28, kToolSpace = 2;

QImage ToolStrip(const std::vector<Tool>& tools)
{
    const int height = 5 * kToolH + 4 * kToolSpace;
    QImage image = NewImage(kToolW * static_cast<int>(tools.size()), height, C::kKey);
    for (size_t i = 0; i < tools.size(); ++i) {
        bool stroked = false;
        const QPainterPath glyph = ToolPath(tools[i], &stroked);
        for (int state = 0; state < 5; ++state) {
            const QRect r(static_cast<int>(i) * kToolW, state * (kToolH + kToolSpace), kToolW,
                          kToolH);
            ToolCell(image, r, state, glyph, stroked);
        }
    }
    return image;
}

// The wide button at the bottom of the main dialog: a note and an arrow out.
QImage Portal()
{
    const int w = 200, h = kToolH;
    QImage image = NewImage(w, 5 * h + 4 * kToolSpace, C::kKey);
    QPainterPath glyph;
    glyph.addEllipse(QRectF(1, 8, 5, 4.5));
    glyph.addRect(4.8, 1.5, 1.4, 8.5);
    glyph.moveTo(4.8, 1.5), glyph.lineTo(9.5, 3), glyph.lineTo(9.5, 4.6), glyph.lineTo(4.8, 3.2);
    glyph.closeSubpath();
    QPainterPath arrow;
    arrow.moveTo(0, 7), arrow.lineTo(40, 7);
    arrow.moveTo(36, 3.5), arrow.lineTo(40, 7), arrow.lineTo(36, 10.5);
    for (int state = 0; state < 5; ++state) {
        const QRect r(0, state * (h + kToolSpace), w, h);
        ToolCell(image, r, state, glyph.translated(-40, 0), false);
        if (state == 3)
            continue;
        const QColor ink = state == 0 ? C::kText : state == 2 ? C::kSurface : C::kAccentDark;
        Glyph(image, arrow.translated(r.x() + 100, r.y() + 7), ink, 1.2);
    }
    return image;
}

// Clock digits: twelve 14 x 22 cells, 0-9, colon, blank; drawn as segments.
QImage Digits()
{
    const int w = 14, h = 22;
    QImage image = NewImage(12 * w, h, C::kKey);
    // Segments a b c d e f g as in a seven-segment display.
    const int masks[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    for (int digit = 0; digit < 10; ++digit) {
        const int x0 = digit * w + 2;
        const auto seg = [&](int bit, const QRect& r) {
            if (masks[digit] & (1 << bit))
                Fill(image, r.translated(x0, 0), C::kAccentDark);
        };
        seg(0, QRect(1, 1, 8, 2));
        seg(1, QRect(8, 2, 2, 8));
        seg(2, QRect(8, 12, 2, 8));
        seg(3, QRect(1, 19, 8, 2));
        seg(4, QRect(0, 12, 2, 8));
        seg(5, QRect(0, 2, 2, 8));
        seg(6, QRect(1, 10, 8, 2));
    }
    Fill(image, QRect(10 * w + 6, 6, 2, 2), C::kAccentDark);
    Fill(image, QRect(10 * w + 6, 14, 2, 2), C::kAccentDark);
    return image;
}

// Spectrum bar: 3 px wide, accent at the foot fading to the tint at the top.
QImage Pillar()
{
    const int h = 40;
    QImage image = NewImage(3, h, C::kAccent);
    for (int y = 0; y < h; ++y) {
        const qreal t = qreal(h - 1 - y) / (h - 1);
        const QColor c =
            QColor::fromRgbF(C::kAccent.redF() + (C::kTint.redF() - C::kAccent.redF()) * t,
                             C::kAccent.greenF() + (C::kTint.greenF() - C::kAccent.greenF()) * t,
                             C::kAccent.blueF() + (C::kTint.blueF() - C::kAccent.blueF()) * t);
        HLine(image, 0, 2, y, c);
    }
    return image;
}

} // namespace

bool DrawThemeArt(const QString& folder, int t, bool full)
{
    bool ok = true;
    const auto save = [&](const QImage& image, const char* name) {
        ok = Save(image, folder + u'/' + QLatin1String(name)) && ok;
    };
    save(NewImage(16, 16, C::kCanvas), "dialog.png");
    save(Top(t), "top.png");
    save(Side(t, true), "left.png");
    save(Side(t, false), "right.png");
    save(Bottom(), "bottom.png");
    save(TitleButton(TitleGlyph::Close), "close.png");
    save(TitleButton(TitleGlyph::Maximise), "maximise.png");
    save(TitleButton(TitleGlyph::Restore), "restore.png");
    save(TitleButton(TitleGlyph::Minimise), "minimise.png");
    save(PushButtons(), "button.png");
    save(CheckCells(false), "check.png");
    save(CheckCells(true), "radio.png");
    if (!full)
        return ok;
    save(ToolStrip({Tool::Record, Tool::Loop, Tool::PlayFromStart, Tool::Play, Tool::Pause,
                    Tool::Stop, Tool::ToStart, Tool::ClearSelection, Tool::Lyrics,
                    Tool::DeleteRecording, Tool::ClearMusic, Tool::Save, Tool::Upload, Tool::Globe,
                    Tool::Folder, Tool::Bell, Tool::Home}),
         "tools.png");
    save(Portal(), "portal.png");
    save(Slider(), "slider.png");
    save(Tabs(), "tabs.png");
    QImage span = NewImage(8, 22, C::kSubtle);
    HLine(span, 0, 7, 21, C::kLine);
    save(span, "list_head.png");
    QImage divider = span.copy(0, 0, 1, 22);
    VLine(divider, 0, 5, 16, C::kLine);
    save(divider, "list_head_edge.png");
    save(NewImage(12, 2, C::kSurface), "list_vcap.png");
    save(Arrow(0), "list_up.png");
    save(Arrow(1), "list_down.png");
    save(Arrow(2), "list_left.png");
    save(Arrow(3), "list_right.png");
    save(Thumb(true), "list_vthumb.png");
    save(Thumb(false), "list_hthumb.png");
    QImage vspan = NewImage(12, 8, C::kSurface);
    VLine(vspan, 0, 0, 7, C::kLineSoft);
    save(vspan, "list_vspan.png");
    QImage hspan = NewImage(8, 12, C::kSurface);
    HLine(hspan, 0, 7, 0, C::kLineSoft);
    save(hspan, "list_hspan.png");
    save(Digits(), "digits.png");
    save(Pillar(), "pillar.png");
    return ok;
}
