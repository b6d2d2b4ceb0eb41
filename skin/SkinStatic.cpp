#include "skin/SkinStatic.h"

#include <QEvent>
#include <QPainter>

CSkinStatic::CSkinStatic(QLabel* label) : m_label(label)
{
    HookWindow(label);
}

void CSkinStatic::RefreshSkin()
{
    if (m_label)
        m_label->update();
}

bool CSkinStatic::WindowProc(QEvent* event)
{
    if (event->type() != QEvent::Paint || !m_label)
        return CSubclassWnd::WindowProc(event);
    int flags = Qt::TextWordWrap | Qt::AlignTop;
    const Qt::Alignment horizontal = m_label->alignment() & Qt::AlignHorizontal_Mask;
    if (horizontal & Qt::AlignHCenter)
        flags |= Qt::AlignHCenter;
    else if (horizontal & Qt::AlignRight)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignLeft;
    if (m_label->buddy())
        flags |= Qt::TextShowMnemonic;
    QPainter painter(m_label);
    painter.setFont(m_label->font());
    painter.setPen(m_label->palette().color(QPalette::WindowText));
    painter.drawText(m_label->rect(), flags, m_label->text());
    return true;
}
