#include "skin/SkinListScrollbar.h"

#include "skin/ListCtrlSkin.h"

#include <QAbstractItemView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <cmath>

namespace {
constexpr uint32_t kFirstDelayMs = 250;
constexpr uint32_t kRepeatMs = 50;
// How often the held arrow looks at the clock.
constexpr int kPollMs = 10;
} // namespace

CSkinListScrollbar::CSkinListScrollbar(Qt::Orientation orientation, int thumb, QWidget* parent)
    : QWidget(parent), m_orientation(orientation), m_clock(SteadyTicks()), m_thumb(thumb)
{
    m_timer.setInterval(kPollMs);
    connect(&m_timer, &QTimer::timeout, this, &CSkinListScrollbar::Tick);
}

void CSkinListScrollbar::SetList(QAbstractItemView* list)
{
    m_list = list;
    if (QScrollBar* native = Native()) {
        connect(native, &QScrollBar::valueChanged, this, &CSkinListScrollbar::Recompute);
        connect(native, &QScrollBar::rangeChanged, this, &CSkinListScrollbar::Recompute);
    }
}

QScrollBar* CSkinListScrollbar::Native() const
{
    if (!m_list)
        return nullptr;
    return Vertical() ? m_list->verticalScrollBar() : m_list->horizontalScrollBar();
}

bool CSkinListScrollbar::IsSkinned() const
{
    return m_skin && m_skin->loaded && Native();
}

int CSkinListScrollbar::Start() const
{
    return Vertical() ? m_skin->verTopHeight + m_skin->verUpArrowHeight
                      : m_skin->horLeftArrowWidth;
}

int CSkinListScrollbar::End() const
{
    return Vertical() ? m_skin->verDownArrowHeight + m_skin->verBottomHeight
                      : m_skin->horRightArrowWidth;
}

int CSkinListScrollbar::ThumbLength() const
{
    return Vertical() ? m_skin->verThumbHeight : m_skin->horThumbWidth;
}

int CSkinListScrollbar::Track() const
{
    // The thumb overlaps each arrow by one pixel at the ends of its travel.
    return Length() - ThumbLength() - End() - Start() + 2;
}

int CSkinListScrollbar::Limit() const
{
    const QScrollBar* native = Native();
    return native ? native->maximum() - native->minimum() : 0;
}

bool CSkinListScrollbar::HasThumb() const
{
    return IsSkinned() && Limit() > 0 && Track() > 0;
}

int CSkinListScrollbar::Clamp(int thumb) const
{
    if (thumb + ThumbLength() + 1 > Length() - End())
        thumb = Length() - ThumbLength() - End() + 1;
    if (thumb + 1 < Start())
        thumb = Start() - 1;
    return thumb;
}

void CSkinListScrollbar::Recompute()
{
    if (!IsSkinned())
        return;
    if (HasThumb()) {
        m_pixelsPerUnit = double(Track()) / Limit();
        const int position = Native()->value() - Native()->minimum();
        m_thumb = Clamp(int(m_pixelsPerUnit * position) + Start() - 1);
    } else {
        m_pixelsPerUnit = 0;
    }
    update();
}

bool CSkinListScrollbar::OnThumb(const QPoint& point) const
{
    const int at = Along(point);
    return HasThumb() && at >= m_thumb && at < m_thumb + ThumbLength();
}

bool CSkinListScrollbar::OnNearArrow(const QPoint& point) const
{
    const int at = Along(point);
    const int from = Vertical() ? m_skin->verTopHeight : 0;
    return at >= from && at < Start();
}

bool CSkinListScrollbar::OnFarArrow(const QPoint& point) const
{
    const int at = Along(point);
    const int to = Vertical() ? Length() - m_skin->verBottomHeight : Length();
    return at >= Length() - End() && at < to;
}

void CSkinListScrollbar::Step(QAbstractSlider::SliderAction action)
{
    if (QScrollBar* native = Native())
        native->triggerAction(action);
    Recompute();
}

void CSkinListScrollbar::StopRepeat()
{
    m_phase = 0;
    m_timer.stop();
}

void CSkinListScrollbar::Tick()
{
    if (m_phase == 0 || !(m_nearPressed || m_farPressed))
        return;
    const uint32_t now = m_clock();
    if (m_phase == 2) {
        if (now - m_phaseStart >= kFirstDelayMs) {
            m_phase = 1;
            m_phaseStart = now;
        }
        return;
    }
    if (now - m_phaseStart < kRepeatMs)
        return;
    m_phaseStart = now;
    Step(m_farPressed ? QAbstractSlider::SliderSingleStepAdd
                      : QAbstractSlider::SliderSingleStepSub);
}

void CSkinListScrollbar::mousePressEvent(QMouseEvent* event)
{
    if (!IsSkinned() || event->button() != Qt::LeftButton)
        return;
    const QPoint point = event->position().toPoint();
    m_dragStart = Along(point);
    m_thumbAtDragStart = m_thumb;
    if (OnThumb(point)) {
        m_dragging = true;
        return;
    }
    if (OnFarArrow(point))
        m_farPressed = true;
    else if (OnNearArrow(point))
        m_nearPressed = true;
    else
        return;
    m_phase = 2;
    m_phaseStart = m_clock();
    m_timer.start();
}

void CSkinListScrollbar::Drag(const QPoint& point)
{
    m_thumb = Clamp(m_thumbAtDragStart + (Along(point) - m_dragStart));
    QScrollBar* native = Native();
    if (HasThumb()) {
        const double pixelsPerUnit = double(Track()) / Limit();
        const int position = native->value() - native->minimum();
        const int offset = m_thumb - Start() + 1;
        // Vertically the list scrolls whole rows, horizontally pixels.
        const int delta = Vertical() ? int(offset / pixelsPerUnit - position)
                                     : int(offset / pixelsPerUnit) - position;
        if (delta != 0)
            native->setValue(native->value() + delta);
    }
    m_thumb = Clamp(m_thumb);
    update();
}

void CSkinListScrollbar::mouseMoveEvent(QMouseEvent* event)
{
    if (IsSkinned() && m_dragging)
        Drag(event->position().toPoint());
}

void CSkinListScrollbar::mouseReleaseEvent(QMouseEvent* event)
{
    if (!IsSkinned() || event->button() != Qt::LeftButton)
        return;
    const QPoint point = event->position().toPoint();
    const bool onThumb = OnThumb(point);
    const bool dragged = m_dragging;
    const bool nearPressed = m_nearPressed;
    const bool farPressed = m_farPressed;
    StopRepeat();
    m_nearPressed = m_farPressed = m_dragging = false;
    Recompute();
    if (OnNearArrow(point)) {
        if (nearPressed || !Vertical())
            Step(QAbstractSlider::SliderSingleStepSub);
    } else if (OnFarArrow(point)) {
        if (farPressed || !Vertical())
            Step(QAbstractSlider::SliderSingleStepAdd);
    } else if (!onThumb && !dragged && HasThumb()) {
        Step(Along(point) > m_thumb ? QAbstractSlider::SliderPageStepAdd
                                    : QAbstractSlider::SliderPageStepSub);
    }
}

void CSkinListScrollbar::hideEvent(QHideEvent* event)
{
    StopRepeat();
    m_nearPressed = m_farPressed = m_dragging = false;
    QWidget::hideEvent(event);
}

void CSkinListScrollbar::paintEvent(QPaintEvent*)
{
    if (!IsSkinned())
        return;
    QPainter painter(this);
    const ListCtrlSkin& s = *m_skin;
    const int length = Length();
    if (Vertical()) {
        const int w = s.verBarWidth;
        const QRect top(0, 0, w, s.verTopHeight);
        s.verTop.Draw(&painter, 0, 0, &top);
        const QRect up(0, 0, w, s.verUpArrowHeight);
        s.verUpArrow.Draw(&painter, 0, s.verTopHeight, &up);
        s.verSpan.StretchDrawWhole(&painter, QRect(0, Start(), w, length - End() - Start()));
        const QRect down(0, 0, w, s.verDownArrowHeight);
        s.verDownArrow.Draw(&painter, 0, length - End(), &down);
        const QRect bottom(0, 0, w, s.verBottomHeight);
        s.verBottom.Draw(&painter, 0, length - s.verBottomHeight, &bottom);
        if (HasThumb()) {
            const QRect thumb(0, 0, w, s.verThumbHeight);
            s.verThumb.Draw(&painter, 0, m_thumb, &thumb);
        }
    } else {
        const int h = s.horBarHeight;
        const QRect left(0, 0, s.horLeftArrowWidth, h);
        s.horLeftArrow.Draw(&painter, 0, 0, &left);
        s.horSpan.StretchDrawWhole(&painter, QRect(Start(), 0, length - End() - Start(), h));
        const QRect right(0, 0, s.horRightArrowWidth, h);
        s.horRightArrow.Draw(&painter, length - End(), 0, &right);
        if (HasThumb()) {
            const QRect thumb(0, 0, s.horThumbWidth, h);
            s.horThumb.Draw(&painter, m_thumb, 0, &thumb);
        }
    }
}
