#include "publish/ProgressPicture.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <QWidget>

namespace {

constexpr int kPictureEdge = 40; // logical pixels

} // namespace

QPixmap ProgressPicture(int edge, qreal dpr)
{
    QPixmap pixmap(QSize(edge, edge) * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);

    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // Everything below is drawn on a 40 x 40 grid.
    p.scale(edge / 40.0, edge / 40.0);

    QLinearGradient tile(0, 0, 0, 40);
    tile.setColorAt(0, QColor(74, 150, 232));
    tile.setColorAt(1, QColor(28, 94, 184));
    p.setPen(QPen(QColor(22, 78, 156), 1));
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(0.5, 0.5, 39, 39), 8, 8);

    // Two beamed eighth notes.
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.save();
    p.translate(11, 28);
    p.rotate(-20);
    p.drawEllipse(QRectF(-4, -3, 8, 6));
    p.restore();
    p.save();
    p.translate(22, 25);
    p.rotate(-20);
    p.drawEllipse(QRectF(-4, -3, 8, 6));
    p.restore();
    p.drawRect(QRectF(13.6, 11, 2, 16));
    p.drawRect(QRectF(24.6, 8, 2, 16));
    QPainterPath beam;
    beam.moveTo(13.6, 11);
    beam.lineTo(26.6, 8);
    beam.lineTo(26.6, 12);
    beam.lineTo(13.6, 15);
    beam.closeSubpath();
    p.drawPath(beam);

    // Sound waves leaving the notes.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 220), 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(24, 13, 8, 12), -60 * 16, 120 * 16);
    p.setPen(QPen(QColor(255, 255, 255, 150), 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(24, 9, 13, 20), -60 * 16, 120 * 16);
    return pixmap;
}

void LayOutProgressPanel(QWidget* window, QWidget* text, QWidget* bar)
{
    // Without a caption bar the window draws its own edge.
    auto* panel = new QFrame(window);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);

    auto* picture = new QLabel(panel);
    picture->setPixmap(ProgressPicture(kPictureEdge, window->devicePixelRatioF()));
    picture->setFixedSize(kPictureEdge, kPictureEdge);

    text->setParent(panel);
    bar->setParent(panel);
    auto* column = new QVBoxLayout;
    column->setSpacing(6);
    column->addStretch(1);
    column->addWidget(text);
    column->addWidget(bar);
    column->addStretch(1);

    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(14, 12, 16, 12);
    row->setSpacing(14);
    row->addWidget(picture, 0, Qt::AlignVCenter);
    row->addLayout(column, 1);

    auto* outer = new QVBoxLayout(window);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(panel);
}
