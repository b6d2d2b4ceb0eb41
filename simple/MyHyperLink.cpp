#include "simple/MyHyperLink.h"

#include "platform/DlgCtrlId.h"
#include "platform/IUrlOpener.h"
#include "simple/ColouredToolTip.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QUrl>

CMyHyperLink::CMyHyperLink(QWidget* parent) : QLabel(parent)
{
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::PointingHandCursor);
    setTextFormat(Qt::PlainText);
    setAttribute(Qt::WA_Hover, true);
    Redraw();
}

void CMyHyperLink::SetLinkColor(ColorRef colour)
{
    m_linkColour = colour;
    Redraw();
}

void CMyHyperLink::SetHoverColor(ColorRef colour)
{
    m_hoverColour = colour;
    Redraw();
}

void CMyHyperLink::SetVisitedColor(ColorRef colour)
{
    m_visitedColour = colour;
    Redraw();
}

void CMyHyperLink::SetToolTipText(const QString& text)
{
    if (m_toolTip)
        m_tipTextValue = text;
}

ColorRef CMyHyperLink::CurrentColor() const
{
    return m_visited ? m_visitedColour : m_hover ? m_hoverColour : m_linkColour;
}

void CMyHyperLink::Redraw()
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, ColorRefToQColor(CurrentColor()));
    setPalette(palette);
    update();
}

bool CMyHyperLink::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        if (m_toolTip && !m_tipTextValue.isEmpty())
            CColouredToolTip::Show(static_cast<QHelpEvent*>(event)->globalPos(), m_tipTextValue,
                                   this, ColorRefToQColor(m_tipBackground),
                                   ColorRefToQColor(m_tipText));
        return true;
    }
    return QLabel::event(event);
}

void CMyHyperLink::enterEvent(QEnterEvent* event)
{
    m_hover = true;
    Redraw();
    QLabel::enterEvent(event);
}

void CMyHyperLink::leaveEvent(QEvent* event)
{
    m_hover = false;
    Redraw();
    QLabel::leaveEvent(event);
}

void CMyHyperLink::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void CMyHyperLink::mouseReleaseEvent(QMouseEvent* event)
{
    // A click completes where it began, as a button's does.
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        OnClicked();
}

void CMyHyperLink::OnClicked()
{
    if (m_notifyParent)
        emit linkClicked(GetDlgCtrlID(this));
    else if (m_opener && !m_url.isEmpty())
        m_opener->OpenUrl(QUrl(m_url));
    m_visited = true;
    Redraw();
}
