#pragma once

#include "platform/TickClock.h"

#include <QAbstractSlider>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QWidget>

class QAbstractItemView;
class QScrollBar;
struct ListCtrlSkin;

// A bitmap scroll bar standing beside a skinned list in place of one of its
// own (hidden) bars. It keeps no position of its own: it follows the list's
// bar for the thumb and moves the list through it, a line per arrow click,
// a page per click on the track, rows or pixels while the thumb is dragged.
// Holding an arrow repeats after 250 ms, then every 50 ms, timed by the clock
// given. The two directions differ in a few rules; see the derived classes.
// GUI thread.
class CSkinListScrollbar : public QWidget
{
    Q_OBJECT
public:
    void SetList(QAbstractItemView* list);
    void SetSkin(const ListCtrlSkin* skin) { m_skin = skin; }
    void SetClock(TickSource clock) { m_clock = std::move(clock); }

    // Places the thumb after the list's bar moved or changed its range.
    void Recompute();
    // Runs the repeat timers as if they had fired now; the real timer calls it.
    void Tick();

    // Pixel offset of the thumb's near edge along the bar.
    int ThumbPosition() const { return m_thumb; }
    // False when there is nothing to scroll or no room for the thumb to move.
    bool HasThumb() const;
    double PixelsPerUnit() const { return m_pixelsPerUnit; }
    bool IsRepeating() const { return m_phase != 0; }
    bool IsSkinned() const;

protected:
    CSkinListScrollbar(Qt::Orientation orientation, int thumb, QWidget* parent);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool Vertical() const { return m_orientation == Qt::Vertical; }
    QScrollBar* Native() const;
    int Along(const QPoint& point) const { return Vertical() ? point.y() : point.x(); }
    int Length() const { return Vertical() ? height() : width(); }
    // Top piece and up arrow, or the left arrow.
    int Start() const;
    // Down arrow and bottom piece, or the right arrow.
    int End() const;
    int ThumbLength() const;
    int Track() const;
    int Limit() const;
    bool OnThumb(const QPoint& point) const;
    // The up/left and the down/right arrows.
    bool OnNearArrow(const QPoint& point) const;
    bool OnFarArrow(const QPoint& point) const;
    int Clamp(int thumb) const;
    void Drag(const QPoint& point);
    void Step(QAbstractSlider::SliderAction action);
    void StopRepeat();

    Qt::Orientation m_orientation;
    QPointer<QAbstractItemView> m_list;
    const ListCtrlSkin* m_skin = nullptr;
    TickSource m_clock;
    bool m_nearPressed = false; // up or left arrow held
    bool m_farPressed = false;  // down or right arrow held
    bool m_dragging = false;
    int m_thumb = 0;
    double m_pixelsPerUnit = 0;
    int m_dragStart = 0;
    int m_thumbAtDragStart = 0;
    // 0 idle, 2 waiting out the first 250 ms, 1 repeating every 50 ms.
    int m_phase = 0;
    uint32_t m_phaseStart = 0;
    QTimer m_timer;
};
