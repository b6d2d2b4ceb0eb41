#include "skin/MyBitmap.h"

#include <QPaintEngine>
#include <QPainter>

#include <algorithm>
#include <vector>

namespace {

QRgb KeyPixel(ColorRef colour)
{
    return ColorRefToQColor(colour).rgb() & 0xFFFFFFu;
}

// Copies part of image to (x, y) without any smoothing.
void CopyPart(QPainter* dc, int x, int y, const QImage& image, const QRect& part)
{
    if (part.width() <= 0 || part.height() <= 0)
        return;
    dc->drawImage(QPoint(x, y), image, part);
}

// The part of the painter's device that drawing can reach (inside the clips,
// the paint event's too), in the painter's own coordinates; area itself when
// nothing is known.
QRect Reachable(const QPainter* dc, const QRect& area)
{
    QRect reachable = area;
    const QPaintEngine* engine = dc->paintEngine();
    // A widget's painter draws into its window's store: that device counts.
    const QPaintDevice* device =
        engine && engine->paintDevice() ? engine->paintDevice() : dc->device();
    bool invertible = false;
    const QTransform back = dc->deviceTransform().inverted(&invertible);
    if (device && invertible) {
        QRect onDevice(0, 0, device->width(), device->height());
        if (engine && !engine->systemClip().isEmpty())
            onDevice &= engine->systemClip().boundingRect();
        reachable &= back.mapRect(onDevice);
    }
    if (dc->hasClipping())
        reachable &= dc->clipBoundingRect().toAlignedRect();
    return reachable;
}

// Source pixel of destination pixel d (of n) for a part of length m from
// start: the one under the pixel's centre, as a nearest-neighbour stretch.
qint64 Sample(qint64 start, qint64 m, qint64 d, qint64 n)
{
    return start + (2 * d + 1) * m / (2 * n);
}

} // namespace

void CMyBitmap::ImageChanged()
{
    m_keyed = QImage();
    m_region = QRegion();
    m_regionValid = false;
}

bool CMyBitmap::Draw(QPainter* dc, int x, int y, const QRect* source) const
{
    if (!dc || !IsLoaded())
        return dc != nullptr;
    CopyPart(dc, x, y, Image(), source ? *source : Image().rect());
    return true;
}

const QImage& CMyBitmap::Keyed(ColorRef colour) const
{
    if (!m_keyed.isNull() && m_keyedColour == colour)
        return m_keyed;
    QImage keyed = Image().convertToFormat(QImage::Format_ARGB32);
    const QRgb key = KeyPixel(colour);
    for (int y = 0; y < keyed.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x) {
            if ((line[x] & 0xFFFFFFu) == key)
                line[x] = 0;
        }
    }
    m_keyed = keyed;
    m_keyedColour = colour;
    return m_keyed;
}

bool CMyBitmap::DrawTrans(QPainter* dc, int x, int y, const QRect& source, ColorRef colour,
                          bool transparent) const
{
    if (!transparent)
        return Draw(dc, x, y, &source);
    if (!dc)
        return false;
    if (IsLoaded()) {
        const QPainter::CompositionMode mode = dc->compositionMode();
        dc->setCompositionMode(QPainter::CompositionMode_SourceOver);
        CopyPart(dc, x, y, Keyed(colour), source);
        dc->setCompositionMode(mode);
    }
    // Callers drawing a caption next rely on the colours the desktop's
    // transparent copy leaves behind.
    dc->setPen(Qt::black);
    dc->setBackground(Qt::white);
    return true;
}

bool CMyBitmap::StretchDraw(QPainter* dc, const QRect& destination, const QRect* source) const
{
    if (!dc)
        return false;
    if (!IsLoaded() || destination.width() <= 0 || destination.height() <= 0)
        return true;
    const QRect part = source ? *source : Image().rect();
    if (part.width() <= 0 || part.height() <= 0)
        return true;
    // Only the pixels that can show are made, however large the destination
    // (a theme may give sizes far past the screen). Sampled here rather than
    // scaled by the painter, so no render hint can smooth it.
    const QRect shown = destination & Reachable(dc, destination);
    if (shown.isEmpty())
        return true;
    const QImage& image = Image();
    QImage out(shown.size(), image.format());
    if (out.isNull() || image.depth() != 32)
        return true;
    std::vector<int> columns(static_cast<size_t>(shown.width()));
    for (int i = 0; i < shown.width(); ++i) {
        const qint64 x = Sample(part.x(), part.width(), shown.x() - destination.x() + qint64(i),
                                destination.width());
        columns[static_cast<size_t>(i)] = x >= 0 && x < image.width() ? int(x) : -1;
    }
    for (int j = 0; j < shown.height(); ++j) {
        const qint64 y = Sample(part.y(), part.height(), shown.y() - destination.y() + qint64(j),
                                destination.height());
        const auto* from =
            y >= 0 && y < image.height()
                ? reinterpret_cast<const QRgb*>(image.constScanLine(static_cast<int>(y)))
                : nullptr;
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(j));
        for (int i = 0; i < shown.width(); ++i) {
            const int x = columns[static_cast<size_t>(i)];
            line[i] = from && x >= 0 ? from[x] : 0; // outside the image: as a copy leaves it
        }
    }
    dc->drawImage(shown.topLeft(), out);
    return true;
}

bool CMyBitmap::StretchDrawWhole(QPainter* dc, const QRect& destination) const
{
    return StretchDraw(dc, destination, nullptr);
}

bool CMyBitmap::BlitWhole(QPainter* dc, const QRect& destination) const
{
    return BlitFrom(dc, destination, QPoint(0, 0));
}

bool CMyBitmap::BlitFrom(QPainter* dc, const QRect& destination, const QPoint& source) const
{
    if (!dc)
        return false;
    if (IsLoaded())
        CopyPart(dc, destination.x(), destination.y(), Image(), QRect(source, destination.size()));
    return true;
}

bool CMyBitmap::TileDraw(QPainter* dc, const QRect& destination, const QRect& cell,
                         ColorRef colour, bool transparent) const
{
    if (!dc)
        return false;
    const int w = cell.width();
    const int h = cell.height();
    if (w <= 0 || h <= 0 || !IsLoaded())
        return true;
    const QRect shown = destination & Reachable(dc, destination);
    if (shown.isEmpty())
        return true;
    // Pieces stay on the destination's grid, cut at its end; only the ones
    // that can show are drawn.
    const int right = destination.x() + destination.width();
    const int bottom = destination.y() + destination.height();
    const int firstX = destination.x() + (shown.x() - destination.x()) / w * w;
    const int firstY = destination.y() + (shown.y() - destination.y()) / h * h;
    const int lastX = shown.x() + shown.width();
    const int lastY = shown.y() + shown.height();
    for (int y = firstY; y < lastY; y += h) {
        for (int x = firstX; x < lastX; x += w) {
            const QRect piece(cell.x(), cell.y(), std::min(w, right - x), std::min(h, bottom - y));
            if (transparent)
                DrawTrans(dc, x, y, piece, colour, true);
            else
                CopyPart(dc, x, y, Image(), piece);
        }
    }
    return true;
}

QRegion CMyBitmap::CreateRegion(ColorRef colour) const
{
    if (m_regionValid && m_regionColour == colour)
        return m_region;
    m_region = ImageRegion(Image(), colour);
    m_regionColour = colour;
    m_regionValid = true;
    return m_region;
}

QRegion ImageRegion(const QImage& image, ColorRef colour)
{
    const QRgb key = KeyPixel(colour);
    // Runs of each row; rows with the same runs as the row above extend its
    // band, so the region comes out in the fewest rectangles.
    std::vector<QRect> rects;
    std::vector<std::pair<int, int>> previousRuns;
    std::vector<std::pair<int, int>> runs;
    int bandTop = 0;
    const auto flush = [&](int bandBottom) {
        for (const auto& [from, to] : previousRuns)
            rects.emplace_back(QPoint(from, bandTop), QPoint(to - 1, bandBottom - 1));
    };
    for (int y = 0; y < image.height(); ++y) {
        runs.clear();
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int x = 0;
        while (x < image.width()) {
            while (x < image.width() && (line[x] & 0xFFFFFFu) == key)
                ++x;
            const int start = x;
            while (x < image.width() && (line[x] & 0xFFFFFFu) != key)
                ++x;
            if (x > start)
                runs.emplace_back(start, x);
        }
        if (y == 0 || runs != previousRuns) {
            flush(y);
            previousRuns = runs;
            bandTop = y;
        }
    }
    flush(image.height());
    QRegion region;
    if (!rects.empty())
        region.setRects(rects.data(), static_cast<int>(rects.size()));
    return region;
}
