#include "editor/WaveLogo.h"

#include <QPainter>
#include <QPolygon>

const QColor CWaveLogo::kSelectedColor(0, 0, 128);
const QColor CWaveLogo::kNormalColor(124, 52, 65);

CWaveLogo::CWaveLogo(QWidget* parent) : QWidget(parent), m_font(QStringLiteral("新宋体"))
{
    m_font.setPixelSize(14);
    m_font.setWeight(QFont::Bold);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QFont CWaveLogo::NumberFont(const QString& number, int room) const
{
    // Digits kDigitWidth px wide, as the label was drawn for; wide numbers
    // are narrowed further rather than run into the speaker.
    QFont font = m_font;
    const int digit = QFontMetrics(m_font).horizontalAdvance(u'0');
    const int start = digit > kDigitWidth ? 100 * kDigitWidth / digit : 100;
    for (int stretch = start; stretch >= kMinStretch; stretch -= 5) {
        font.setStretch(stretch);
        if (QFontMetrics(font).boundingRect(number).right() < room)
            break;
    }
    return font;
}

void CWaveLogo::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect client = rect();
    painter.fillRect(client, m_selected ? kSelectedColor : kNormalColor);

    const int x = client.left() + 25;
    const QString number = QString::number(m_number);
    painter.setFont(NumberFont(number, x - kSpeakerGap - (client.left() + kTextLeft)));
    painter.setPen(Qt::white);
    painter.drawText(client.adjusted(kTextLeft, 0, 0, 0),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, number);

    const int y = client.height() / 2 - 4;
    painter.setBrush(Qt::white);
    const QPolygon body{QPoint(x, y), QPoint(x + 2, y), QPoint(x + 2, y + 8), QPoint(x, y + 8)};
    const QPolygon cone{QPoint(x + 4, y), QPoint(x + 7, y - 3), QPoint(x + 7, y + 11),
                        QPoint(x + 4, y + 8)};
    painter.drawPolygon(body);
    painter.drawPolygon(cone);
}
