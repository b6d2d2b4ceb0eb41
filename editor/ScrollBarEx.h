#pragma once

#include "editor/Paint3d.h"

#include <QPixmap>
#include <QWidget>

class QTimer;

// Common body of the timeline's own scroll bars: an arrow at each end, a
// patterned trough with a thumb, and a few extra cells behind the forward
// arrow. Keeps a position within a range, both in the scrolled content's
// pixels. Arrow clicks step a line at the release; holding an arrow repeats
// a line every 50 ms after 250 ms. GUI thread only.
//
// Lengths run along the bar: the bar's length is its client width (horizontal)
// or height (vertical), its thickness the other side. The trough is
// length - (2 + extra cells) x thickness long, never less than 0.
class CScrollBarEx : public QWidget
{
    Q_OBJECT
public:
    int GetPos() const { return m_pos; }
    // Moves the thumb and repaints; no notice. The position is not clamped.
    void SetPos(int pos);
    int GetRange() const { return m_range; }
    // Moves the thumb and repaints; no notice.
    void SetRange(int range);

    int GetTrackLength() const;
    // The whole trough while the range is shorter than it, else the trough's
    // share of the range but at least the thickness; never longer than the trough.
    int GetThumbLength() const;
    // Pixels from the end of the backward arrow to the thumb.
    int GetThumbOffset() const { return m_thumbOffset; }

signals:
    // Posted (queued) after every change the user made; read GetPos() back.
    // Stands for WM_HSCROLL / WM_VSCROLL.
    void scrolled();

protected:
    CScrollBarEx(Qt::Orientation orientation, int extraCells, QWidget* parent);

    // Page steps move by the bar's length - 1, line steps by a tenth of it.
    // Each clamps, moves the thumb, repaints and posts scrolled().
    void PageBack();
    void PageForward();
    void LineBack();
    void LineForward();

    // A release over extra cell n (0 is the cell next to the forward arrow).
    // Returns whether the cell acted; otherwise the release counts as a click
    // in the trough beyond the thumb.
    virtual bool OnExtraCellReleased(int cell);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    enum class Zone { Backward, Forward, Thumb, Trough, Extra };
    struct Hit
    {
        Zone zone;
        int extraCell; // valid for Zone::Extra
    };

    int Length() const;
    int Thickness() const;
    int Along(const QPoint& point) const;
    // A rectangle from a span along the bar, full thickness.
    QRect Cell(int from, int length) const;
    Hit HitTest(int along) const;

    void UpdateThumb();
    void UpdatePosFromThumb();
    void ClampForward();
    void AfterStep();
    void OnRepeatDelay();
    void OnRepeat();
    void StopRepeat();

    void PaintArrow(QPainter& painter, const QRect& cell, bool forward, bool pressed) const;
    void PaintRaisedCell(QPainter& painter, const QRect& cell) const;

    const Qt::Orientation m_orientation;
    const int m_extraCells;
    const SystemColors m_colors;
    const QPixmap m_troughPattern;

    int m_pos = 0;
    int m_range = 0;
    bool m_forwardPressed = false;
    bool m_backwardPressed = false;
    bool m_thumbMoved = false;
    bool m_thumbGrabbed = false;
    int m_thumbOffset = 0;
    int m_pressAlong = 0;
    int m_thumbOffsetAtPress = 0;

    QTimer* m_repeatDelay; // 250 ms, single shot, then hands over to m_repeat
    QTimer* m_repeat;      // 50 ms, one line per tick while an arrow is held
};
