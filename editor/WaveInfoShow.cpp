#include "editor/WaveInfoShow.h"

#include <QPainter>

CWaveInfoShow::CWaveInfoShow(QWidget* parent)
    : QWidget(parent), m_colors(SystemColors::FromApplication()), m_font(QStringLiteral("新宋体"))
{
    m_font.setPixelSize(12);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CWaveInfoShow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_colors.face);
    Draw3dRect(painter, rect(), m_colors.highlight, m_colors.shadow);
    painter.setFont(m_font);
    painter.setPen(Qt::black);
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine,
                     QStringLiteral("Brevanta Version 1.0"));
}
