#pragma once

#include "platform/ColorRef.h"

#include <QImage>
#include <QString>

// The loading layer of a theme image: holds at most one image, loaded from a
// BMP, PNG, JPEG, GIF or ICO file. GUI thread.
class CEnBitmap
{
public:
    // LoadImage's background that keeps transparent pixels transparent.
    static constexpr ColorRef kNoBackground = 0xFFFFFFFF;

    CEnBitmap() = default;
    CEnBitmap(const CEnBitmap&) = delete;
    CEnBitmap& operator=(const CEnBitmap&) = delete;
    virtual ~CEnBitmap();

    // Loads the file into this object. False, changing nothing, when an image
    // is already held; false, staying empty, when the file is not a regular
    // readable file of one of the formats above, does not decode, or holds
    // an image larger than a screen (kThemeSizeLimit a side, the pixels of an
    // 8K screen). Transparent pixels are composited onto background (0:
    // black), unless it is kNoBackground.
    bool LoadImage(const QString& path, ColorRef background);
    // Drops the held image, then LoadImage with a black background.
    bool ReloadImage(const QString& path);
    // Drops the held image.
    void DeleteObject();
    bool IsLoaded() const { return !m_image.isNull(); }

    const QImage& Image() const { return m_image; }

protected:
    // Called whenever the held image changes, so derived caches can be dropped.
    virtual void ImageChanged() {}

private:
    QImage m_image;
};
