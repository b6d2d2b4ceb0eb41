#include "skin/EnBitmap.h"

#include "skin/ThemeSize.h"

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

// At most kThemeSizeLimit along either side and no more pixels than the
// largest screens have (8K: 7680 x 4320), so that every copy a skin makes of
// it stays small.
bool FitsAScreen(const QSize& size)
{
    constexpr qint64 kMostPixels = 7680 * 4320;
    return size.width() <= kThemeSizeLimit && size.height() <= kThemeSizeLimit &&
           qint64(size.width()) * size.height() <= kMostPixels;
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
    // A few compressed bytes can declare an image no screen shows; such a
    // file is refused before it is decoded (and after, for a format that
    // tells its size only then).
    if (reader.size().isValid() && !FitsAScreen(reader.size()))
        return false;
    const QImage decoded = reader.read();
    if (decoded.isNull() || !FitsAScreen(decoded.size()))
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
