#include "editor/EditorIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace EditorIcons {

namespace {

const QColor kInk(40, 48, 60);
const QColor kAccent(31, 99, 186);
const QColor kRed(205, 42, 42);

void Triangle(QPainter& p, qreal x, qreal y, qreal w, qreal h, const QColor& color)
{
    QPainterPath path;
    path.moveTo(x, y);
    path.lineTo(x + w, y + h / 2);
    path.lineTo(x, y + h);
    path.closeSubpath();
    p.fillPath(path, color);
}

void Page(QPainter& p, const QRectF& r)
{
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 4, r.top());
    path.lineTo(r.right(), r.top() + 4);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(Qt::white);
    p.drawPath(path);
}

void Arrow(QPainter& p, bool back)
{
    // A curved arrow: undo points left, redo right.
    p.save();
    if (!back) {
        p.translate(18, 0);
        p.scale(-1, 1);
    }
    QPainterPath arc;
    arc.moveTo(5, 8);
    arc.cubicTo(9, 3, 16, 5, 15, 11);
    arc.cubicTo(14, 14, 11, 15, 9, 15);
    p.setPen(QPen(kAccent, 2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arc);
    QPainterPath head;
    head.moveTo(2, 8);
    head.lineTo(8, 4);
    head.lineTo(8, 12);
    head.closeSubpath();
    p.fillPath(head, kAccent);
    p.restore();
}

void Scissors(QPainter& p)
{
    p.setPen(QPen(kInk, 1.5));
    p.drawLine(QPointF(5, 2), QPointF(12, 12));
    p.drawLine(QPointF(13, 2), QPointF(6, 12));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kRed, 1.6));
    p.drawEllipse(QPointF(5, 14), 2.6, 2.6);
    p.drawEllipse(QPointF(13, 14), 2.6, 2.6);
}

void Wave(QPainter& p, const QRectF& r, const QColor& color)
{
    QPainterPath path;
    const int steps = 12;
    for (int i = 0; i <= steps; ++i) {
        const qreal x = r.left() + r.width() * i / steps;
        const qreal amp = (i % 2 ? 1 : -1) * r.height() / 2 * (0.35 + 0.65 * ((i * 7) % 5) / 4.0);
        const QPointF point(x, r.center().y() + amp);
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    p.setPen(QPen(color, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

void Draw(QPainter& p, Icon icon)
{
    switch (icon) {
    case Icon::Record:
        p.setPen(Qt::NoPen);
        p.setBrush(kRed);
        p.drawEllipse(QPointF(9, 9), 5.5, 5.5);
        break;
    case Icon::Loop: {
        p.setPen(QPen(kAccent, 2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(3, 4, 12, 10), 30 * 16, 300 * 16);
        Triangle(p, 12, 1.5, 5, 6, kAccent);
        break;
    }
    case Icon::PlayFromStart:
        p.fillRect(QRectF(3, 4, 2, 10), kInk);
        Triangle(p, 6, 4, 9, 10, QColor(30, 140, 60));
        break;
    case Icon::Play:
        Triangle(p, 5, 3.5, 10, 11, QColor(30, 140, 60));
        break;
    case Icon::Pause:
        p.fillRect(QRectF(5, 4, 3, 10), kInk);
        p.fillRect(QRectF(10, 4, 3, 10), kInk);
        break;
    case Icon::Stop:
        p.fillRect(QRectF(4.5, 4.5, 9, 9), kInk);
        break;
    case Icon::GoToStart: {
        p.fillRect(QRectF(3, 4, 2, 10), kInk);
        QPainterPath path;
        path.moveTo(6, 9);
        path.lineTo(14, 4);
        path.lineTo(14, 14);
        path.closeSubpath();
        p.fillPath(path, kInk);
        break;
    }
    case Icon::CancelSelection:
        p.setPen(QPen(kAccent, 1.2, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(2.5, 4.5, 13, 9));
        p.setPen(QPen(kRed, 2));
        p.drawLine(QPointF(6, 6), QPointF(12, 12));
        p.drawLine(QPointF(12, 6), QPointF(6, 12));
        break;
    case Icon::New:
        Page(p, QRectF(3.5, 1.5, 10, 14));
        break;
    case Icon::Open:
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(1.5, 5.5, 14, 9));
        p.drawRect(QRectF(1.5, 3.5, 5, 2));
        break;
    case Icon::Save:
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(kAccent);
        p.drawRect(QRectF(2.5, 2.5, 12, 12));
        p.fillRect(QRectF(5, 3, 7, 4), Qt::white);
        p.fillRect(QRectF(5, 10, 7, 4), QColor(220, 225, 232));
        break;
    case Icon::Cut:
        Scissors(p);
        break;
    case Icon::Copy:
        Page(p, QRectF(1.5, 1.5, 9, 11));
        Page(p, QRectF(6.5, 5.5, 9, 11));
        break;
    case Icon::Paste:
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(QColor(200, 160, 100));
        p.drawRect(QRectF(2.5, 3.5, 10, 12));
        Page(p, QRectF(7.5, 6.5, 8, 9.5));
        break;
    case Icon::Undo:
        Arrow(p, true);
        break;
    case Icon::Redo:
        Arrow(p, false);
        break;
    case Icon::Delete:
        Wave(p, QRectF(1, 4, 15, 9), kInk);
        p.setPen(QPen(kRed, 2));
        p.drawLine(QPointF(4, 4), QPointF(13, 13));
        p.drawLine(QPointF(13, 4), QPointF(4, 13));
        break;
    case Icon::Trim:
        Wave(p, QRectF(1, 4, 15, 9), QColor(150, 150, 150));
        p.fillRect(QRectF(5, 2, 1.5, 13), kAccent);
        p.fillRect(QRectF(11, 2, 1.5, 13), kAccent);
        break;
    case Icon::About:
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawEllipse(QRectF(2, 2, 13, 13));
        p.fillRect(QRectF(7.8, 7, 1.6, 5.5), Qt::white);
        p.fillRect(QRectF(7.8, 4.2, 1.6, 1.6), Qt::white);
        break;
    case Icon::SaveAsRing:
    case Icon::Upload: {
        // A bell; upload adds an arrow.
        QPainterPath bell;
        bell.moveTo(3, 13);
        bell.cubicTo(5, 11, 4, 3, 8.5, 3);
        bell.cubicTo(13, 3, 12, 11, 14, 13);
        bell.closeSubpath();
        p.fillPath(bell, QColor(230, 170, 40));
        p.setPen(QPen(kInk, 1));
        p.drawPath(bell);
        p.setBrush(kInk);
        p.drawEllipse(QPointF(8.5, 14.5), 1.4, 1.4);
        if (icon == Icon::Upload)
            Triangle(p, 12, 0.5, 4.5, 5, kAccent);
        break;
    }
    }
}

} // namespace

QIcon Make(Icon icon, int size)
{
    QIcon result;
    for (const qreal ratio : {1.0, 2.0}) {
        QPixmap pixmap(QSize(size, size) * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 18.0, size / 18.0);
        Draw(painter, icon);
        painter.end();
        result.addPixmap(pixmap);
    }
    return result;
}

} // namespace EditorIcons
