#include "skin/SkinGroup.h"

#include "platform/DlgCtrlId.h"
#include "skin/ProfileFile.h"
#include "skin/SkinHelpers.h"

#include <QFontMetrics>
#include <QEvent>
#include <QPainter>

#include <algorithm>

namespace {
constexpr int kFontHeight = 12; // px
}

CSkinGroup::CSkinGroup(QGroupBox* box) : m_box(box)
{
    m_font = QFont(QStringLiteral("新宋体"));
    m_font.setPixelSize(kFontHeight);
    m_font.setWeight(QFont::Light);
    HookWindow(box);
}

bool CSkinGroup::HasId() const
{
    return GetDlgCtrlID(m_box) > 0;
}

bool CSkinGroup::LoadSkin(const QString& themePath)
{
    m_loaded = false;
    QString section = QStringLiteral("GroupBox");
    if (HasId()) {
        section = QStringLiteral("GroupBox_%1").arg(GetDlgCtrlID(m_box));
        m_placement.Load(themePath, section);
    }
    const CProfileFile theme = CProfileFile::Load(themePath);
    m_textColour = ReadProfileColor(theme, section, QStringLiteral("TextColor"), 0);
    const ColorRef face =
        m_box ? QColorToColorRef(m_box->palette().color(QPalette::Button)) : 0xF0F0F0;
    m_borderColour = ReadProfileColor(theme, section, QStringLiteral("BorderColor"), face);
    m_loaded = true;
    RefreshSkin();
    return true;
}

void CSkinGroup::RefreshSkin()
{
    if (!m_box)
        return;
    if (HasId())
        m_placement.Apply(m_box);
    m_box->update();
}

int CSkinGroup::TopLineEnd() const
{
    if (!m_box)
        return 0;
    const int advance = QFontMetrics(m_font).horizontalAdvance(m_box->title());
    return std::min(m_box->width() - 1, 9 + advance);
}

bool CSkinGroup::WindowProc(QEvent* event)
{
    if (event->type() != QEvent::Paint || !m_box || !m_loaded)
        return CSubclassWnd::WindowProc(event);
    QPainter painter(m_box);
    const int right = m_box->width() - 1;
    const int bottom = m_box->height() - 1;
    const int y = kFontHeight / 2 + 2;
    painter.setPen(ColorRefToQColor(m_borderColour));
    const QPoint frame[] = {{5, y},          {0, y},     {0, bottom},
                            {right, bottom}, {right, y}, {TopLineEnd(), y}};
    painter.drawPolyline(frame, 6);
    painter.setFont(m_font);
    painter.setPen(ColorRefToQColor(m_textColour));
    const QFontMetrics metrics(m_font);
    painter.drawText(7, 2 + metrics.ascent(), m_box->title());
    return true;
}
