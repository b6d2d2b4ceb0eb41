#include "skin/SkinFrame.h"

#include "skin/ProfileFile.h"
#include "skin/SkinHelpers.h"
#include "skin/ThemeSize.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace {

const QString kPersonality = QStringLiteral("Personality");
const QString kColours = QStringLiteral("Colours");
constexpr int kRestore = 3; // the restore button's slot after the three actions

// The end of a strip's middle: length - end piece, at least one past the start.
int PieceEnd(int length, int endPiece, int start)
{
    const int end = length - endPiece;
    return end > start ? end : start + 1;
}

} // namespace

QString SkinFrame::ElideWords(const QString& text, const QFontMetrics& metrics, int width)
{
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    const QString dots = QStringLiteral("...");
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, text);
    int best = -1;
    for (int at = words.toNextBoundary(); at > 0; at = words.toNextBoundary()) {
        const QString head = text.left(at).trimmed();
        if (head.isEmpty())
            continue;
        if (metrics.horizontalAdvance(head + dots) > width)
            break;
        best = at;
    }
    if (best > 0)
        return text.left(best).trimmed() + dots;
    // No word fits: cut inside the first one, with the same dots.
    for (int at = text.size() - 1; at > 0; --at)
        if (metrics.horizontalAdvance(text.left(at) + dots) <= width)
            return text.left(at) + dots;
    return QString();
}

void SkinFrame::Clear()
{
    for (CMyBitmap* image : {&m_dialog, &m_top, &m_left, &m_right, &m_bottom})
        image->DeleteObject();
    for (TitleButton& button : m_buttons) {
        button.image.DeleteObject();
        button.xCoord = button.yCoord = 0;
    }
    m_loaded = false;
}

bool SkinFrame::Load(const QString& themePath)
{
    Clear();
    const CProfileFile theme = CProfileFile::Load(themePath);
    LoadThemeImage(m_dialog, kPersonality, QStringLiteral("DialogBmp"), themePath);
    const std::pair<CMyBitmap*, const char*> strips[] = {
        {&m_top, "Top"}, {&m_left, "Left"}, {&m_right, "Right"}, {&m_bottom, "Bottom"}};
    for (const auto& [image, key] : strips) {
        if (!LoadThemeImage(*image, kPersonality, QLatin1String(key), themePath))
            return false;
    }
    m_topHeight = m_top.GetHeight() / 2;
    m_leftWidth = m_left.GetWidth() / 2;
    m_rightWidth = m_right.GetWidth() / 2;
    m_bottomHeight = m_bottom.GetHeight() / 2;
    const auto key = [&](const char* name) {
        return ThemeSize(theme.GetInt(kPersonality, QLatin1String(name), 0));
    };
    m_topStart = key("TopTopHeight");
    m_topEnd = PieceEnd(m_top.GetWidth(), key("TopBotHeight"), m_topStart);
    m_leftStart = key("LeftTopHeight");
    m_leftEnd = PieceEnd(m_left.GetHeight(), key("LeftBotHeight"), m_leftStart);
    m_rightStart = key("RightTopHeight");
    m_rightEnd = PieceEnd(m_right.GetHeight(), key("RightBotHeight"), m_rightStart);
    m_bottomStart = key("BottomTopHeight");
    m_bottomEnd = PieceEnd(m_bottom.GetWidth(), key("BottomBotHeight"), m_bottomStart);

    // More title buttons than this is no theme of ours: the rest are ignored.
    constexpr int kMaxButtons = 64;
    const int count =
        std::min(theme.GetInt(kPersonality, QStringLiteral("ButtonCount"), 0), kMaxButtons);
    m_cells =
        std::max(1, ThemeSize(theme.GetInt(kPersonality, QStringLiteral("ButtonImgCount"), 3)));
    for (int i = 0; i < count; ++i) {
        const QString section = QStringLiteral("Button%1").arg(i);
        const int action = theme.GetInt(section, QStringLiteral("Action"), 0);
        int slot = -1;
        if (action == kClose)
            slot = kClose;
        else if (action == kMinimise)
            slot = kMinimise;
        else if (action == kMaximise)
            slot = m_buttons[kMaximise].image.IsLoaded() ? kRestore : kMaximise;
        if (slot < 0)
            continue;
        TitleButton& button = m_buttons[slot];
        if (!LoadThemeImage(button.image, section, QStringLiteral("ButtonImage"), themePath))
            return false;
        button.xCoord = ThemeSize(theme.GetInt(section, QStringLiteral("XCoord"), 0));
        button.yCoord = ThemeSize(theme.GetInt(section, QStringLiteral("YCoord"), 0));
    }

    m_textShift = key("TextShift");
    m_textShiftDown = key("TextShiftVert");
    const QPalette palette = QGuiApplication::palette();
    const ColorRef captionText =
        QColorToColorRef(palette.color(QPalette::Active, QPalette::WindowText));
    m_titleColour = ReadProfileColor(theme, kColours, QStringLiteral("TitleText"), captionText);
    m_inactiveTitleColour =
        ReadProfileColor(theme, kColours, QStringLiteral("InactiveTitleText"), captionText);
    m_usesTran = theme.GetInt(kPersonality, QStringLiteral("UsesTran"), 0) != 0;
    m_transColour = 0xFF00FF;
    if (m_usesTran)
        m_transColour = ReadProfileColor(theme, kColours, QStringLiteral("TransColor"), 0xFF00FF);
    m_loaded = true;
    return true;
}

QMargins SkinFrame::Margins() const
{
    return QMargins(m_leftWidth, m_topHeight, m_rightWidth, m_bottomHeight);
}

QSize SkinFrame::MinimumSize() const
{
    return QSize(m_left.GetWidth() + m_right.GetWidth() + m_top.GetWidth(),
                 m_left.GetHeight() + 20);
}

QFont SkinFrame::CaptionFont()
{
    // "System" maps to the installed CJK face (InstallFontSubstitutions).
    QFont font(QStringLiteral("System"));
    font.setPixelSize(12);
    return font;
}

const SkinFrame::TitleButton* SkinFrame::ButtonFor(int type, bool maximised) const
{
    const TitleButton* button = nullptr;
    if (type == kClose || type == kMinimise)
        button = &m_buttons[type];
    else if (type == kMaximise)
        button = maximised && m_buttons[kRestore].image.IsLoaded() ? &m_buttons[kRestore]
                                                                   : &m_buttons[kMaximise];
    return button && button->image.IsLoaded() ? button : nullptr;
}

QRect SkinFrame::ButtonRect(int type, int width, bool maximised) const
{
    const TitleButton* button = ButtonFor(type, maximised);
    if (!button)
        return QRect();
    return QRect(width - button->xCoord, button->yCoord, button->image.GetWidth() / m_cells,
                 button->image.GetHeight());
}

QRect SkinFrame::TextRect(int width) const
{
    const int right = width - m_top.GetWidth() + m_topEnd;
    return QRect(QPoint(m_textShift, m_textShiftDown), QPoint(right - 1, m_topHeight - 1));
}

int SkinFrame::HitTest(const QPoint& p, const QSize& size, const Hints& hints,
                       bool maximised) const
{
    const int w = size.width(), h = size.height();
    const int t = m_topHeight, l = m_leftWidth, r = m_rightWidth, b = m_bottomHeight;
    // Half-open like the desktop's rectangles: left <= x < right.
    const auto in = [&](int left, int top, int right, int bottom) {
        return p.x() >= left && p.x() < right && p.y() >= top && p.y() < bottom;
    };
    const auto inRect = [&](const QRect& rect) { return !rect.isNull() && rect.contains(p); };
    if (inRect(ButtonRect(kClose, w, maximised)))
        return HTCLOSE;
    if (hints.minimiseBox && inRect(ButtonRect(kMinimise, w, maximised)))
        return HTMINBUTTON;
    if (hints.maximiseBox && inRect(ButtonRect(kMaximise, w, maximised)))
        return HTMAXBUTTON;
    if (in(l, kIconTop, l + kIconSize, kIconTop + kIconSize))
        return HTSYSMENU;
    if (hints.thickFrame && !maximised) {
        if (in(0, 0, l, t))
            return HTTOPLEFT;
        if (in(w - r, 0, w, t))
            return HTTOPRIGHT;
        if (in(0, h - b, l, h))
            return HTBOTTOMLEFT;
        if (in(w - r, h - b, w, h))
            return HTBOTTOMRIGHT;
        if (in(0, t, l, h - b))
            return HTLEFT;
        if (in(w - r, t, w, h - b))
            return HTRIGHT;
        if (in(l, h - b, w - r, h))
            return HTBOTTOM;
        if (in(l, 0, w - r, b))
            return HTTOP;
    }
    if (in(l, kCaptionTop, w - r, t))
        return HTCAPTION;
    return HTCLIENT;
}

void SkinFrame::DrawStrip(QPainter& painter, const CMyBitmap& image, bool horizontal, int band,
                          bool inactive, int start, int length, int across, int pieceStart,
                          int pieceEnd)
{
    const int n = horizontal ? image.GetWidth() : image.GetHeight();
    const int thickness = horizontal ? image.GetHeight() : image.GetWidth();
    const int bandFrom = inactive ? band : 0;
    const int bandTo = inactive ? thickness : band;
    if (n <= 0 || bandTo <= bandFrom || length <= 0)
        return;
    // Copies source [from, to) along the strip to position at.
    const auto piece = [&](int from, int to, int at) {
        from = std::max(from, 0);
        to = std::min(to, n);
        if (to <= from)
            return;
        const QRect source = horizontal ? QRect(from, bandFrom, to - from, bandTo - bandFrom)
                                        : QRect(bandFrom, from, bandTo - bandFrom, to - from);
        const QPoint target = horizontal ? QPoint(at, across) : QPoint(across, at);
        image.Draw(&painter, target.x(), target.y(), &source);
    };
    const int s = pieceStart, e = pieceEnd, m = std::max(e - s, 1);
    const int end = start + length;
    piece(0, s, start);
    const int tiles = std::max((length - n) / m + 2, 1);
    for (int i = 0; i < tiles; ++i) {
        const int at = start + s + i * m;
        if (at >= end)
            break;
        piece(s, s + std::min(m, end - at), at);
    }
    piece(e, n, end - (n - e));
}

void SkinFrame::DrawBorders(QPainter& painter, const QSize& size, bool active) const
{
    const int w = size.width(), h = size.height();
    painter.save();
    painter.setClipRegion(QRegion(0, 0, w, h) - QRegion(0, 0, w, m_topHeight));
    DrawStrip(painter, m_left, false, m_leftWidth, !active, 0, h, 0, m_leftStart, m_leftEnd);
    DrawStrip(painter, m_right, false, m_rightWidth, !active, 0, h, w - m_rightWidth, m_rightStart,
              m_rightEnd);
    DrawStrip(painter, m_bottom, true, m_bottomHeight, !active, m_leftWidth,
              w - m_leftWidth - m_rightWidth, h - m_bottomHeight, m_bottomStart, m_bottomEnd);
    painter.restore();
}

void SkinFrame::DrawCaptionStrips(QPainter& painter, int width, bool active) const
{
    DrawStrip(painter, m_top, true, m_topHeight, !active, m_leftWidth,
              width - m_leftWidth - m_rightWidth + 1, 0, m_topStart, m_topEnd);
    // The side strips' upper rows form the caption's corners.
    DrawStrip(painter, m_left, false, m_leftWidth, !active, 0, m_left.GetHeight(), 0, m_leftStart,
              m_leftEnd);
    DrawStrip(painter, m_right, false, m_rightWidth, !active, 0, m_right.GetHeight(),
              width - m_rightWidth, m_rightStart, m_rightEnd);
}

void SkinFrame::DrawTitleButton(QPainter& painter, int type, int width, const Look& look) const
{
    if ((type == kMinimise && !look.hints.minimiseBox) ||
        (type == kMaximise && !look.hints.maximiseBox))
        return;
    const TitleButton* button = ButtonFor(type, look.maximised);
    if (!button)
        return;
    const int code = type == kClose ? HTCLOSE : type == kMinimise ? HTMINBUTTON : HTMAXBUTTON;
    int cell = look.pressed == code ? 1 : look.hover == code ? 2 : 0;
    cell = std::min(cell, m_cells - 1);
    const QRect place = ButtonRect(type, width, look.maximised);
    const QRect source(cell * place.width(), 0, place.width(), place.height());
    button->image.DrawTrans(&painter, place.x(), place.y(), source, m_transColour, m_usesTran);
}

QImage SkinFrame::Caption(const QSize& size, const Look& look) const
{
    const int w = std::max(size.width(), 0);
    QImage band(w, m_topHeight, QImage::Format_RGB32);
    if (band.isNull())
        return band;
    band.fill(Qt::black);
    QPainter painter(&band);
    DrawCaptionStrips(painter, w, look.active);
    for (int type : {int(kClose), int(kMinimise), int(kMaximise)})
        DrawTitleButton(painter, type, w, look);
    if (!look.icon.isNull())
        painter.drawPixmap(QRect(m_leftWidth, kIconTop, kIconSize, kIconSize), look.icon);
    const QRect text = TextRect(w);
    if (!look.title.isEmpty() && text.width() > 0) {
        const QFont font = CaptionFont();
        painter.setFont(font);
        painter.setPen(ColorRefToQColor(look.active ? m_titleColour : m_inactiveTitleColour));
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         ElideWords(look.title, QFontMetrics(font), text.width()));
    }
    return band;
}

QRegion SkinFrame::WindowRegion(const QSize& size) const
{
    const QRegion whole(0, 0, size.width(), size.height());
    if (!m_usesTran || size.isEmpty())
        return whole;
    QImage band(size.width(), m_topHeight, QImage::Format_RGB32);
    if (band.isNull())
        return whole;
    band.fill(Qt::black);
    {
        QPainter painter(&band);
        DrawCaptionStrips(painter, size.width(), true);
    }
    return ImageRegion(band, m_transColour) +
           QRegion(0, m_topHeight, size.width(), size.height() - m_topHeight);
}
