#pragma once

#include "skin/MyBitmap.h"

#include "platform/ColorRef.h"

#include <QFont>
#include <QImage>
#include <QMargins>
#include <QPixmap>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QString>

class QFontMetrics;
class QPainter;

// The frame of a skinned dialog as its theme gives it ("Personality",
// "Button<n>", "Colours"): four strips that hold the active look in their
// first half and the inactive look in their second, each cut into a start
// piece, a tiled middle and an end piece; title buttons of normal, pressed
// and hover cells; caption colours and an optional key colour cut out of the
// caption. It measures, draws and hit-tests the frame for a window of a given
// size without touching any widget. GUI thread (it holds images).
class SkinFrame
{
public:
    // Where a point of the window lies; the values of the desktop's hit codes.
    enum Hit {
        HTNOWHERE = 0,
        HTCLIENT = 1,
        HTCAPTION = 2,
        HTSYSMENU = 3,
        HTMINBUTTON = 8,
        HTMAXBUTTON = 9,
        HTLEFT = 10,
        HTRIGHT = 11,
        HTTOP = 12,
        HTTOPLEFT = 13,
        HTTOPRIGHT = 14,
        HTBOTTOM = 15,
        HTBOTTOMLEFT = 16,
        HTBOTTOMRIGHT = 17,
        HTCLOSE = 20,
    };
    // Title buttons by their theme "Action".
    enum Button { kClose = 0, kMaximise = 1, kMinimise = 2 };
    // What the window allowed before its frame was taken over.
    struct Hints
    {
        bool thickFrame = false; // resizable
        bool minimiseBox = false;
        bool maximiseBox = false;
    };
    // The state a caption is drawn in.
    struct Look
    {
        bool active = false;
        bool maximised = false;
        int pressed = 0; // hit code of the pressed title button, 0 none
        int hover = 0;
        Hints hints;
        QString title;
        QPixmap icon; // drawn at the small-icon size; null for none
    };

    static constexpr int kIconSize = 16;
    static constexpr int kIconTop = 5;
    static constexpr int kCaptionTop = 5; // rows above it are the top edge or nothing

    // Drops every image, then reads the theme. False, not loaded, when one of
    // the four strips or a listed title button's image is missing or
    // unreadable (what loaded before that stays held).
    bool Load(const QString& themePath);
    bool IsLoaded() const { return m_loaded; }

    int TopHeight() const { return m_topHeight; }
    int LeftWidth() const { return m_leftWidth; }
    int RightWidth() const { return m_rightWidth; }
    int BottomHeight() const { return m_bottomHeight; }
    QMargins Margins() const;
    // The smallest window the user may size: the left, right and top images'
    // widths together, by the left image's height and 20.
    QSize MinimumSize() const;
    int TopStart() const { return m_topStart; }
    int TopEnd() const { return m_topEnd; }
    int ButtonImageCount() const { return m_cells; }

    bool UsesTran() const { return m_usesTran; }
    ColorRef TransColor() const { return m_transColour; }
    ColorRef TitleColour() const { return m_titleColour; }
    ColorRef InactiveTitleColour() const { return m_inactiveTitleColour; }
    const CMyBitmap& DialogImage() const { return m_dialog; }
    // The font of the caption text.
    static QFont CaptionFont();
    // text on one line of width pixels: whole when it fits, else cut after the
    // last whole word that fits with "..." (after whole characters when not
    // even the first word fits).
    static QString ElideWords(const QString& text, const QFontMetrics& metrics, int width);

    // The title button's place in a window width wide (type 1: the restore
    // button's while maximised when a restore image is held); null when its
    // image is not held.
    QRect ButtonRect(int type, int width, bool maximised) const;
    // The caption text's rectangle: from the text shift to where the top
    // strip's end piece begins.
    QRect TextRect(int width) const;

    // The hit code of point (window coordinates) in a window of size: close
    // first, then minimise and maximise (only with their hints), the icon,
    // the edges (only resizable and not maximised; the top edge only as high
    // as the bottom strip), the caption from y 5, the client area.
    int HitTest(const QPoint& point, const QSize& size, const Hints& hints, bool maximised) const;

    // The left, right and bottom strips of a window of size (the caption band
    // left alone).
    void DrawBorders(QPainter& painter, const QSize& size, bool active) const;
    // The caption band, size.width() x TopHeight(): strips, title buttons,
    // icon and text.
    QImage Caption(const QSize& size, const Look& look) const;
    // The window's shape: without "UsesTran" the whole window; with it the
    // caption's active strips without the key colour, and all below the band.
    QRegion WindowRegion(const QSize& size) const;

    // One strip along x (top, bottom) or y (left, right) from start over
    // length, at offset across it: the start piece, middle tiles cut at the
    // end, and the end piece ending at start + length. band is the half's
    // thickness; inactive takes the other half.
    static void DrawStrip(QPainter& painter, const CMyBitmap& image, bool horizontal, int band,
                          bool inactive, int start, int length, int across, int pieceStart,
                          int pieceEnd);

private:
    struct TitleButton
    {
        CMyBitmap image;
        int xCoord = 0; // from the window's right edge to the button's left side
        int yCoord = 0;
    };

    void Clear();
    const TitleButton* ButtonFor(int type, bool maximised) const;
    void DrawCaptionStrips(QPainter& painter, int width, bool active) const;
    void DrawTitleButton(QPainter& painter, int type, int width, const Look& look) const;

    CMyBitmap m_dialog;
    CMyBitmap m_top, m_left, m_right, m_bottom;
    TitleButton m_buttons[4]; // close, maximise, minimise, restore
    int m_topHeight = 0, m_leftWidth = 0, m_rightWidth = 0, m_bottomHeight = 0;
    int m_topStart = 0, m_topEnd = 1, m_leftStart = 0, m_leftEnd = 1;
    int m_rightStart = 0, m_rightEnd = 1, m_bottomStart = 0, m_bottomEnd = 1;
    int m_cells = 3;
    int m_textShift = 0, m_textShiftDown = 0;
    ColorRef m_titleColour = 0, m_inactiveTitleColour = 0, m_transColour = 0xFF00FF;
    bool m_usesTran = false;
    bool m_loaded = false;
};
