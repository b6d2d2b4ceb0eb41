#include "audio/WaveDoc.h"

#include <QBrush>
#include <QPainter>
#include <QPen>
#include <QPolygon>
#include <QRect>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr int kMaxSamplesPerColumn = 16;
constexpr int kCornerCut = 5;      // px cut off each corner of a clip's frame
constexpr int kAreaMargin = 2;     // px kept free above and below each channel
constexpr int kOffscreenSlack = 8; // px a clamped x may lie outside the row

// Sample of one channel at the start of a frame; 8-bit as byte - 128.
int SampleAt(const uint8_t* frame, int bits, int channel)
{
    if (bits == 16) {
        int16_t value;
        std::memcpy(&value, frame + 2 * channel, 2);
        return value;
    }
    return frame[channel] - 128;
}

// Frames of a store read through a small window with pread. A fresh mapping
// of the store would fault in every page it touches on every redraw.
class FrameReader
{
public:
    static constexpr uint64_t kWindow = 64 * 1024; // bytes read at a time
    static constexpr uint64_t kPage = 4096;

    FrameReader(const CMappedTempFile& store, uint64_t frameBytes, uint64_t strideBytes)
        : m_store(store), m_frameBytes(frameBytes),
          // Frames a page or more apart are read one by one: a window would
          // copy mostly bytes nobody looks at.
          m_sparse(strideBytes >= kPage), m_buffer(std::max(kWindow, frameBytes))
    {
    }

    // The frame at offset, which the caller keeps inside the store; none when
    // the read fails.
    const uint8_t* At(uint64_t offset)
    {
        if (offset >= m_start && offset - m_start + m_frameBytes <= m_length)
            return m_buffer.data() + (offset - m_start);
        const uint64_t left = m_store.GetSize() - offset;
        const uint64_t length =
            m_sparse ? m_frameBytes : std::min<uint64_t>(m_buffer.size(), left);
        if (!m_store.ReadAt(offset, m_buffer.data(), length)) {
            m_length = 0;
            return nullptr;
        }
        m_start = offset;
        m_length = length;
        return m_buffer.data();
    }

private:
    const CMappedTempFile& m_store;
    uint64_t m_frameBytes;
    bool m_sparse;
    std::vector<uint8_t> m_buffer;
    uint64_t m_start = 0;
    uint64_t m_length = 0; // bytes of the window that hold data
};

std::unique_ptr<CWavePeaks> FinishPeaks(std::unique_ptr<CWavePeaks> peaks, int reference, int bits)
{
    // Quiet clips are not blown up to full height.
    if (bits == 16)
        reference = std::max(reference, 512);
    else if (bits == 8)
        reference = std::max(reference, 32);
    peaks->SetScaleReference(reference);
    return peaks;
}

struct Area
{
    int top;
    int bottom;
    int Middle() const { return (top + bottom) / 2; }
    int Height() const { return bottom - top; }
};

} // namespace

ColorRef CWaveDoc::ScaleColorUp(ColorRef colour, double factor)
{
    factor = std::max(factor, 1.0);
    const auto scale = [factor](ColorRef component) {
        const double value = static_cast<double>(component & 0xFF) * factor;
        return value > 254 ? 255u : static_cast<ColorRef>(value);
    };
    return MakeColorRef(static_cast<uint8_t>(scale(colour)),
                        static_cast<uint8_t>(scale(colour >> 8)),
                        static_cast<uint8_t>(scale(colour >> 16)));
}

std::unique_ptr<CWavePeaks> CWaveDoc::BuildPeaks(int firstColumn, int columnCount,
                                                 int msPerPixel) const
{
    auto peaks = std::make_unique<CWavePeaks>(columnCount, firstColumn, msPerPixel);
    const int bits = m_format.bitsPerSample;
    const bool stereo = m_format.channels == 2;

    // At most 16 samples per column, spread evenly over it when it covers more.
    int64_t samples = int64_t{msPerPixel} * m_format.samplesPerSec / 1000;
    int64_t stepFrames = 1;
    if (samples > kMaxSamplesPerColumn) {
        stepFrames = samples / kMaxSamplesPerColumn;
        samples = kMaxSamplesPerColumn;
    }
    const bool oneSample = samples < 2;
    peaks->SetOneSample(oneSample);

    const uint64_t size = GetDataSize();
    const uint64_t frameBytes = m_format.blockAlign;
    const uint64_t sampleBytes = (bits == 8 || bits == 16) ? bits / 8 : 0;
    const bool readable = m_store && sampleBytes > 0 &&
                          frameBytes >= sampleBytes * (stereo ? 2 : 1) && size >= frameBytes;
    if (!readable)
        return FinishPeaks(std::move(peaks), 0, bits);
    FrameReader reader(*m_store, frameBytes, static_cast<uint64_t>(stepFrames) * frameBytes);

    int reference = 0;
    for (int i = 0; i < peaks->GetColumnCount(); ++i) {
        const int64_t ms = (int64_t{firstColumn} + i) * msPerPixel;
        if (ms < 0 || ms > UINT32_MAX)
            continue;
        uint64_t offset = MsToBytes(static_cast<uint32_t>(ms));
        int min0 = 0, max0 = 0, min1 = 0, max1 = 0;
        if (oneSample) {
            const uint8_t* frame = offset + frameBytes <= size ? reader.At(offset) : nullptr;
            if (frame) {
                max0 = SampleAt(frame, bits, 0);
                if (stereo)
                    max1 = SampleAt(frame, bits, 1);
            }
        } else {
            // Whole frames only: a store may end in part of a frame.
            for (int64_t k = 0; k < samples && offset + frameBytes <= size; ++k) {
                const uint8_t* frame = reader.At(offset);
                if (!frame)
                    break;
                const int s0 = SampleAt(frame, bits, 0);
                min0 = std::min(min0, s0);
                max0 = std::max(max0, s0);
                if (stereo) {
                    const int s1 = SampleAt(frame, bits, 1);
                    min1 = std::min(min1, s1);
                    max1 = std::max(max1, s1);
                }
                offset += static_cast<uint64_t>(stepFrames) * frameBytes;
            }
        }
        peaks->SetPeak(0, i, static_cast<int16_t>(min0), static_cast<int16_t>(max0));
        peaks->SetPeak(1, i, static_cast<int16_t>(min1), static_cast<int16_t>(max1));
        reference = std::max({reference, max0, -min0, -min1, max1});
    }
    return FinishPeaks(std::move(peaks), reference, bits);
}

void CWaveDoc::DrawWave(QPainter& painter, const QRect& row, int scrollPx, int msPerPixel,
                        ColorRef colour)
{
    if (!HasData() || msPerPixel <= 0)
        return;
    painter.save();

    const QColor base = ColorRefToQColor(colour);
    const QPen outlinePen(base, 1);
    const QPen redPen(QColor(255, 0, 0), 1);
    const QPen lightPen(ColorRefToQColor(ScaleColorUp(colour, 1.5)), 1);
    const QBrush selectionBrush(QColor(0, 0, 128));
    const QBrush fillBrush(base);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(m_selected ? outlinePen : lightPen);
    painter.setBrush(m_selected ? selectionBrush : fillBrush);

    // Right and bottom are exclusive edges.
    const int left = row.x();
    const int top = row.y();
    const int right = left + row.width();
    const int bottom = top + row.height();
    const bool stereo = m_format.channels == 2;
    const int half = (top + bottom) / 2;
    // Channel 0 takes the upper half of a stereo row and all of a mono one;
    // channel 1 always the lower half.
    const Area areas[2] = {{top + kAreaMargin, (stereo ? half : bottom) - kAreaMargin},
                           {half + kAreaMargin, bottom - kAreaMargin}};

    const int64_t x0 = int64_t{m_start} / msPerPixel - scrollPx;
    const int64_t width = int64_t{GetDuration()} / msPerPixel;
    const int64_t clipLeft = left + x0;
    // Parts of the frame far outside the row are not seen; keep them in int range.
    const auto clampX = [&](int64_t x) {
        return static_cast<int>(std::clamp<int64_t>(x, int64_t{left} - kOffscreenSlack,
                                                    int64_t{right} + kOffscreenSlack));
    };
    const int l = clampX(clipLeft);
    const int r = clampX(clipLeft + width);
    const int lc = clampX(clipLeft + kCornerCut);
    const int rc = clampX(clipLeft + width - kCornerCut);
    const QPolygon frame({QPoint(l, top + kCornerCut), QPoint(lc, top), QPoint(rc, top),
                          QPoint(r, top + kCornerCut), QPoint(r, bottom - kCornerCut),
                          QPoint(rc, bottom), QPoint(lc, bottom), QPoint(l, bottom - kCornerCut)});

    // The frame masks what lies under it (destination AND colour).
    const QPainter::CompositionMode mode = painter.compositionMode();
    painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    if (m_recordedClip && !m_selected)
        painter.setBrush(Qt::NoBrush); // outline only
    painter.drawPolygon(frame);
    painter.setCompositionMode(mode);

    if (m_recordedClip) {
        // Recorded clips show centre lines, not their samples.
        painter.setPen(redPen);
        painter.drawLine(l, areas[0].Middle(), r, areas[0].Middle());
        painter.drawLine(l, areas[1].Middle(), r, areas[1].Middle());
        painter.setPen(outlinePen);
        painter.drawLine(l, half, r, half);
        painter.restore();
        return;
    }

    const int64_t firstVisible = std::max<int64_t>(0, -x0);
    const int64_t endVisible = std::min<int64_t>(width, int64_t{right - left} - x0);
    if (endVisible <= firstVisible) {
        painter.restore();
        return;
    }
    const int first = static_cast<int>(firstVisible);
    const int count = static_cast<int>(endVisible - firstVisible);
    if (!m_peaks || !m_peaks->Matches(first, count, msPerPixel))
        m_peaks = BuildPeaks(first, count, msPerPixel);

    const int x = static_cast<int>(clipLeft + first);
    const int reference = m_peaks->GetScaleReference();
    for (int channel = 0; channel < (stereo ? 2 : 1); ++channel) {
        const Area& area = areas[channel];
        const int middle = area.Middle();
        const double scale = reference ? area.Height() * 0.5 / reference : 0.0;
        // Positive samples lie below the middle line.
        const auto y = [&](int sample) { return static_cast<int>(middle + sample * scale); };
        if (m_peaks->IsOneSample()) {
            QPolygon line;
            line.reserve(count + 1);
            line << QPoint(x, middle);
            for (int i = 0; i < count; ++i)
                line << QPoint(x + i, y(m_peaks->GetMax(channel, i)));
            painter.drawPolyline(line);
        } else {
            painter.drawLine(x, middle - 1, x + count, middle - 1);
            for (int i = 0; i < count; ++i)
                painter.drawLine(x + i, y(m_peaks->GetMin(channel, i)), x + i,
                                 y(m_peaks->GetMax(channel, i)));
        }
    }
    painter.restore();
}
