#pragma once

// A theme made at test time for the skinned controls: every cell of every
// strip has its own flat colour, so a probed pixel names the cell drawn.
#include "tests/support/TestEnvironment.h"

#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QString>

namespace CellTheme {

// Cell k's colour; never magenta, never grey text.
inline QColor Colour(int cell)
{
    return QColor(20 + 30 * cell, 200 - 25 * cell, 60 + 15 * cell);
}

// count square cells of size side by side.
inline QImage Row(int count, int size)
{
    QImage image(count * size, size, QImage::Format_RGB32);
    QPainter painter(&image);
    for (int k = 0; k < count; ++k)
        painter.fillRect(k * size, 0, size, size, Colour(k));
    return image;
}

// count cells of width x height stacked downwards, space apart (gaps black);
// the top-left corner x corner of each cell is magenta.
inline QImage Column(int count, int width, int height, int space, int corner)
{
    QImage image(width, count * (height + space), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    for (int k = 0; k < count; ++k) {
        const int y = k * (height + space);
        painter.fillRect(0, y, width, height, Colour(k));
        painter.fillRect(0, y, corner, corner, QColor(255, 0, 255));
    }
    return image;
}

inline void Save(const QImage& image, const char* name)
{
    image.save(TestEnvironment::Home() + "/" + name);
}

// Writes theme.ini with text into the test's home and returns its path.
inline QString Write(const QByteArray& text)
{
    const QString path = TestEnvironment::Home() + "/theme.ini";
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return path;
}

} // namespace CellTheme
