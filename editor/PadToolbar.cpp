#include "editor/PadToolbar.h"

#include <QAction>
#include <QHBoxLayout>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace {

constexpr int kImageSize = 14;
constexpr int kButtonSize = 22;
const QColor kInk(48, 48, 48);

// Draws an image on a 14 x 14 grid at the given scale, so the icon stays sharp
// on high-density screens.
template <typename Draw> QPixmap Image(int scale, Draw draw)
{
    QPixmap pixmap(kImageSize * scale, kImageSize * scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    draw(painter);
    return pixmap;
}

template <typename Draw> QIcon Icon(Draw draw)
{
    QIcon icon;
    icon.addPixmap(Image(1, draw));
    icon.addPixmap(Image(2, draw));
    return icon;
}

// A speaker struck through with a red cross.
void DrawMute(QPainter& painter)
{
    QPainterPath speaker;
    speaker.moveTo(1, 5);
    speaker.lineTo(3.5, 5);
    speaker.lineTo(7, 1.5);
    speaker.lineTo(7, 12.5);
    speaker.lineTo(3.5, 9);
    speaker.lineTo(1, 9);
    speaker.closeSubpath();
    painter.fillPath(speaker, kInk);
    painter.setPen(QPen(QColor(204, 0, 0), 1.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(8.8, 4.8), QPointF(12.8, 8.8));
    painter.drawLine(QPointF(12.8, 4.8), QPointF(8.8, 8.8));
}

// Headphones: a head band and two ear cups.
void DrawSolo(QPainter& painter)
{
    painter.setPen(QPen(kInk, 1.6, Qt::SolidLine, Qt::FlatCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(2, 1.8, 10, 10), 0, 180 * 16);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kInk);
    painter.drawRoundedRect(QRectF(1.2, 7, 3.3, 5.8), 1, 1);
    painter.drawRoundedRect(QRectF(9.5, 7, 3.3, 5.8), 1, 1);
}

QAction* AddCheckButton(QWidget* bar, QHBoxLayout* layout, const QIcon& icon, const QString& tip)
{
    auto* action = new QAction(icon, tip, bar);
    action->setCheckable(true);
    action->setToolTip(tip);
    auto* button = new QToolButton(bar);
    button->setDefaultAction(action);
    button->setAutoRaise(true);
    button->setIconSize(QSize(kImageSize, kImageSize));
    button->setFixedSize(kButtonSize, kButtonSize);
    button->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(button);
    return action;
}

} // namespace

CPadToolbar::CPadToolbar(QWidget* parent) : QWidget(parent)
{
    // Tooltips shown for these buttons take this widget's style sheet.
    setStyleSheet(QStringLiteral("QToolTip { color: rgb(0, 0, 200);"
                                 " background-color: rgb(255, 255, 225); }"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    // The pad sizes the bar, down to nothing when it is too narrow.
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    m_mute = AddCheckButton(this, layout, Icon(DrawMute), QStringLiteral("播放静音"));
    m_solo = AddCheckButton(this, layout, Icon(DrawSolo), QStringLiteral("播放独奏"));
    layout->addStretch();
}
