#pragma once

// A theme written at test time for the skinned controls: images made of
// flat-coloured blocks, so that a drawn pixel tells which block it came from.
#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QWidget>

#include <utility>
#include <vector>

struct ControlTheme
{
    QTemporaryDir dir;

    QString Path() const { return dir.filePath(QStringLiteral("theme.ini")); }

    // Writes name as a w x h image of the given blocks (rectangle, colour) on black.
    void Image(const QString& name, int w, int h,
               const std::vector<std::pair<QRect, QColor>>& blocks = {}) const
    {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        for (const auto& [rect, colour] : blocks)
            painter.fillRect(rect, colour);
        painter.end();
        image.save(dir.filePath(name));
    }
    void Solid(const QString& name, int w, int h, const QColor& colour) const
    {
        Image(name, w, h, {{QRect(0, 0, w, h), colour}});
    }
    void Ini(const QByteArray& text) const
    {
        QFile file(Path());
        file.open(QIODevice::WriteOnly);
        file.write(text);
    }
};

inline void SendMouse(QWidget* widget, QEvent::Type type, QPoint at,
                      Qt::MouseButtons buttons = Qt::LeftButton)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    if (type == QEvent::MouseButtonRelease)
        buttons = Qt::NoButton;
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), button, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

inline QColor Pixel(QWidget* widget, QPoint at)
{
    return widget->grab().toImage().pixelColor(at);
}
