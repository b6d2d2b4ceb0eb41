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

    // Every image becomes 32-bit before anything draws it: the conversion
    // gives a palette image a full colour table, so indices past a short
    // palette read black instead of memory past the table.
    QImage image = decoded.convertToFormat(
        decoded.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (image.isNull())
        return false;
    if (background != kNoBackground && image.hasAlphaChannel()) {
        QImage flat(image.size(), QImage::Format_RGB32);
        if (flat.isNull())
            return false;
        flat.fill(ColorRefToQColor(background));
        QPainter(&flat).drawImage(0, 0, image);
        image = flat;
    }
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
