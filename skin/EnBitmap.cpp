#include "skin/EnBitmap.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

namespace {

// The formats a theme may use; other decoders Qt happens to have stay unused.
bool IsThemeFormat(const QByteArray& format)
{
    return format == "bmp" || format == "png" || format == "jpeg" || format == "jpg" ||
           format == "gif" || format == "ico";
}

} // namespace

CEnBitmap::~CEnBitmap() = default;

bool CEnBitmap::LoadImage(const QString& path, ColorRef background)
{
    if (IsLoaded())
        return false;
    if (!QFileInfo(path).isFile())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = file.readAll();
    if (bytes.isEmpty())
        return false;

    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    if (!IsThemeFormat(reader.format()))
        return false;
    const QImage decoded = reader.read();
    if (decoded.isNull())
        return false;

    QImage image;
    if (background == kNoBackground) {
        image =
            decoded.convertToFormat(decoded.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                              : QImage::Format_RGB32);
    } else {
        image = QImage(decoded.size(), QImage::Format_RGB32);
        if (image.isNull())
            return false;
        image.fill(ColorRefToQColor(background));
        QPainter painter(&image);
        painter.drawImage(0, 0, decoded);
    }
    if (image.isNull())
        return false;
    m_image = image;
    ImageChanged();
    return true;
}

bool CEnBitmap::ReloadImage(const QString& path)
{
    DeleteObject();
    return LoadImage(path, 0);
}

void CEnBitmap::DeleteObject()
{
    if (m_image.isNull())
        return;
    m_image = QImage();
    ImageChanged();
}
