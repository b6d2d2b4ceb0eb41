#pragma once

#include "skin/EnBitmap.h"

#include <QPoint>
#include <QRect>
#include <QRegion>

class QPainter;

// A theme image with the drawing every skinned class uses: opaque, with one
// colour left out, stretched, tiled, and turned into a window region. Scaling
// is always nearest-neighbour so that key colours stay exact. A null painter
// or an empty image draws nothing; the drawing calls return true otherwise
// (StretchDraw false for a null painter). GUI thread.
class CMyBitmap : public CEnBitmap
{
public:
    int GetWidth() const { return Image().width(); }
    int GetHeight() const { return Image().height(); }

    // Copies source (the whole image when null) with its top-left at (x, y).
    bool Draw(QPainter* dc, int x, int y, const QRect* source = nullptr) const;
    // transparent false: Draw. true: the same, leaving out every pixel of
    // colour; afterwards the painter draws text black on white, as it does
    // after the desktop's transparent copy.
    bool DrawTrans(QPainter* dc, int x, int y, const QRect& source, ColorRef colour,
                   bool transparent) const;
    // Stretches source (the whole image when null) onto destination.
    bool StretchDraw(QPainter* dc, const QRect& destination, const QRect* source = nullptr) const;
    bool StretchDrawWhole(QPainter* dc, const QRect& destination) const;
    // Copies the destination's size from the image's top-left corner.
    bool BlitWhole(QPainter* dc, const QRect& destination) const;
    // Copies the destination's size from source.
    bool BlitFrom(QPainter* dc, const QRect& destination, const QPoint& source) const;
    // Repeats cell over destination from its top-left; the last column and row
    // are cut at its edges. A cell of zero width or height draws nothing.
    bool TileDraw(QPainter* dc, const QRect& destination, const QRect& cell, ColorRef colour,
                  bool transparent) const;

    // All pixels whose colour differs from colour, in the image's own
    // coordinates; empty for an empty image or one made only of that colour.
    // Kept per colour until the image changes, since shaped controls ask on
    // every paint. Hand an empty result to SetWidgetRegion, not to setMask.
    QRegion CreateRegion(ColorRef colour) const;

protected:
    void ImageChanged() override;

private:
    // The image with the pixels of colour made fully transparent, kept per colour.
    const QImage& Keyed(ColorRef colour) const;

    mutable QImage m_keyed;
    mutable ColorRef m_keyedColour = 0;
    mutable QRegion m_region;
    mutable ColorRef m_regionColour = 0;
    mutable bool m_regionValid = false;
};

// The pixels of image (32-bit RGB) whose colour differs from colour: the
// region rule of CreateRegion, for images drawn at run time.
QRegion ImageRegion(const QImage& image, ColorRef colour);
