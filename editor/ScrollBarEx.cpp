#include "editor/ScrollBarEx.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <cstdint>

namespace {

constexpr int kRepeatDelayMs = 250;
constexpr int kRepeatMs = 50;

// The trough's fill: a one-pixel checkerboard of the face and highlight
// colours, tiled by the brush.
QPixmap TroughPattern(const SystemColors& colors)
{
    QPixmap pattern(8, 8);
    pattern.fill(colors.face);
    QPainter painter(&pattern);
    for (int y = 0; y < 8; ++y) {
        for (int x = y % 2; x < 8; x += 2)
            painter.fillRect(x, y, 1, 1, colors.highlight);
    }
    return pattern;
}

int ClampToInt(int64_t value)
{
    return static_cast<int>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

} // namespace

CScrollBarEx::CScrollBarEx(Qt::Orientation orientation, int extraCells, QWidget* parent)
    : QWidget(parent), m_orientation(orientation), m_extraCells(extraCells),
      m_colors(SystemColors::FromApplication()), m_troughPattern(TroughPattern(m_colors)),
      m_repeatDelay(new QTimer(this)), m_repeat(new QTimer(this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_repeatDelay->setObjectName(QStringLiteral("repeatDelay"));
    m_repeatDelay->setSingleShot(true);
    m_repeatDelay->setInterval(kRepeatDelayMs);
    m_repeat->setObjectName(QStringLiteral("repeat"));
    m_repeat->setInterval(kRepeatMs);
    connect(m_repeatDelay, &QTimer::timeout, this, &CScrollBarEx::OnRepeatDelay);
    connect(m_repeat, &QTimer::timeout, this, &CScrollBarEx::OnRepeat);
}

void CScrollBarEx::SetPos(int pos)
{
    m_pos = pos;
    UpdateThumb();
    update();
}

void CScrollBarEx::SetRange(int range)
{
    m_range = range;
    UpdateThumb();
    update();
}

int CScrollBarEx::Length() const
{
    return m_orientation == Qt::Horizontal ? width() : height();
}

int CScrollBarEx::Thickness() const
{
    return m_orientation == Qt::Horizontal ? height() : width();
}

int CScrollBarEx::Along(const QPoint& point) const
{
    return m_orientation == Qt::Horizontal ? point.x() : point.y();
}

QRect CScrollBarEx::Cell(int from, int length) const
{
    length = std::max(length, 0);
    return m_orientation == Qt::Horizontal ? QRect(from, 0, length, Thickness())
                                           : QRect(0, from, Thickness(), length);
}

int CScrollBarEx::GetTrackLength() const
{
    // A bar too short for its cells has no trough rather than a negative one.
    return std::max(0, Length() - (2 + m_extraCells) * Thickness());
}

int CScrollBarEx::GetThumbLength() const
{
    const int track = GetTrackLength();
    if (track <= 0)
        return 0;
    if (m_range < track)
        return track;
    const double share = static_cast<double>(track) * (static_cast<double>(track) / m_range);
    const int thumb = std::max(static_cast<int>(share), Thickness());
    // A trough shorter than the thickness keeps the thumb inside it.
    return std::min(thumb, track);
}

void CScrollBarEx::UpdateThumb()
{
    const int span = GetTrackLength() - GetThumbLength();
    if (m_range == 0) {
        m_thumbOffset = 0;
        return;
    }
    const double offset = static_cast<double>(m_pos) * span / m_range;
    // A position outside the range (SetPos does not clamp) still draws the
    // thumb inside the trough.
    m_thumbOffset = std::clamp(static_cast<int>(offset), 0, span);
}

void CScrollBarEx::UpdatePosFromThumb()
{
    const int thumb = GetThumbLength();
    const int span = GetTrackLength() - thumb;
    m_thumbOffset = std::clamp(m_thumbOffset, 0, span);
    int64_t pos = span == 0 ? 0 : int64_t{m_range} * m_thumbOffset / span;
    if (m_range < thumb)
        pos = 0;
    else if (pos + thumb > m_range)
        pos = int64_t{m_range} - thumb;
    m_pos = ClampToInt(pos);
}

void CScrollBarEx::ClampForward()
{
    const int thumb = GetThumbLength();
    if (m_range < thumb || int64_t{m_pos} + thumb > m_range)
        m_pos = m_range < thumb ? 0 : m_range - thumb;
}

void CScrollBarEx::AfterStep()
{
    UpdateThumb();
    update();
    QMetaObject::invokeMethod(
        this, [this] { emit scrolled(); }, Qt::QueuedConnection);
}

void CScrollBarEx::PageBack()
{
    if (Length() < 1)
        return;
    m_pos = ClampToInt(std::max<int64_t>(0, int64_t{m_pos} - (Length() - 1)));
    AfterStep();
}

void CScrollBarEx::PageForward()
{
    if (Length() < 1)
        return;
    m_pos = ClampToInt(int64_t{m_pos} + (Length() - 1));
    ClampForward();
    AfterStep();
}

void CScrollBarEx::LineBack()
{
    m_pos = ClampToInt(std::max<int64_t>(0, int64_t{m_pos} - Length() / 10));
    AfterStep();
}

void CScrollBarEx::LineForward()
{
    m_pos = ClampToInt(int64_t{m_pos} + Length() / 10);
    ClampForward();
    AfterStep();
}

bool CScrollBarEx::OnExtraCellReleased(int)
{
    return false;
}

CScrollBarEx::Hit CScrollBarEx::HitTest(int along) const
{
    const int thickness = Thickness();
    const int thumbStart = thickness + m_thumbOffset;
    const int thumbLength = GetThumbLength();
    if (thumbLength > 0 && along >= thumbStart && along < thumbStart + thumbLength)
        return {Zone::Thumb, 0};
    if (along >= 0 && along < thickness)
        return {Zone::Backward, 0};
    const int forwardStart = Length() - (m_extraCells + 1) * thickness;
    if (along >= forwardStart && along < forwardStart + thickness)
        return {Zone::Forward, 0};
    for (int cell = 0; cell < m_extraCells; ++cell) {
        const int start = Length() - (m_extraCells - cell) * thickness;
        if (along >= start && along < start + thickness)
            return {Zone::Extra, cell};
    }
    return {Zone::Trough, 0};
}

void CScrollBarEx::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // The widget keeps the mouse until the release (Qt's implicit grab).
    const int along = Along(event->position().toPoint());
    m_pressAlong = along;
    m_thumbOffsetAtPress = m_thumbOffset;
    switch (HitTest(along).zone) {
    case Zone::Thumb:
        m_thumbGrabbed = true;
        break;
    case Zone::Forward:
        m_forwardPressed = true;
        m_repeatDelay->start();
        break;
    case Zone::Backward:
        m_backwardPressed = true;
        m_repeatDelay->start();
        break;
    default:
        break;
    }
    update();
}

void CScrollBarEx::mouseMoveEvent(QMouseEvent* event)
{
    if (m_thumbGrabbed)
        m_thumbMoved = true;
    if (!m_thumbMoved)
        return;
    m_thumbOffset = Along(event->position().toPoint()) + m_thumbOffsetAtPress - m_pressAlong;
    UpdatePosFromThumb();
    update();
    QMetaObject::invokeMethod(
        this, [this] { emit scrolled(); }, Qt::QueuedConnection);
}

void CScrollBarEx::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    UpdateThumb();
    StopRepeat();
    const int along = Along(event->position().toPoint());
    const Hit hit = HitTest(along);
    bool acted = true;
    switch (hit.zone) {
    case Zone::Backward:
        LineBack();
        break;
    case Zone::Forward:
        LineForward();
        break;
    case Zone::Thumb:
        break;
    case Zone::Extra:
        acted = OnExtraCellReleased(hit.extraCell);
        break;
    case Zone::Trough:
        acted = false;
        break;
    }
    if (!acted && !m_thumbGrabbed) {
        if (along > m_thumbOffset + Thickness())
            PageForward();
        else
            PageBack();
    }
    m_forwardPressed = m_backwardPressed = m_thumbMoved = m_thumbGrabbed = false;
    update();
}

void CScrollBarEx::OnRepeatDelay()
{
    if (m_forwardPressed || m_backwardPressed)
        m_repeat->start();
}

void CScrollBarEx::OnRepeat()
{
    if (m_forwardPressed)
        LineForward();
    else if (m_backwardPressed)
        LineBack();
    else
        m_repeat->stop();
}

void CScrollBarEx::StopRepeat()
{
    m_repeatDelay->stop();
    m_repeat->stop();
}

void CScrollBarEx::hideEvent(QHideEvent* event)
{
    // A hidden bar gets no release: drop the press so nothing keeps stepping.
    StopRepeat();
    m_forwardPressed = m_backwardPressed = m_thumbMoved = m_thumbGrabbed = false;
    QWidget::hideEvent(event);
}

void CScrollBarEx::resizeEvent(QResizeEvent* event)
{
    UpdateThumb();
    QWidget::resizeEvent(event);
}

void CScrollBarEx::PaintRaisedCell(QPainter& painter, const QRect& cell) const
{
    painter.fillRect(cell, m_colors.face);
    Draw3dRect(painter, cell, m_colors.highlight, m_colors.shadow);
}

void CScrollBarEx::PaintArrow(QPainter& painter, const QRect& cell, bool forward,
                              bool pressed) const
{
    painter.fillRect(cell, m_colors.face);
    if (pressed)
        Draw3dRect(painter, cell, m_colors.shadow, m_colors.highlight);
    else
        Draw3dRect(painter, cell, m_colors.highlight, m_colors.shadow);

    // A solid triangle 7 px across and 4 px deep, drawn as pixel rows so it
    // stays crisp; its tip points along the bar.
    constexpr int kHalf = 3;
    const int shift = pressed ? 1 : 0;
    const int cx = cell.x() + cell.width() / 2 + shift;
    const int cy = cell.y() + cell.height() / 2 + shift;
    for (int row = 0; row <= kHalf; ++row) {
        // Row 0 is the tip, row kHalf the base.
        const int depth = forward ? 2 - row : row - 2;
        if (m_orientation == Qt::Horizontal)
            painter.fillRect(cx + depth, cy - row, 1, 2 * row + 1, Qt::black);
        else
            painter.fillRect(cx - row, cy + depth, 2 * row + 1, 1, Qt::black);
    }
}

void CScrollBarEx::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int thickness = Thickness();
    const int length = Length();
    const int track = GetTrackLength();

    painter.fillRect(rect(), m_colors.face);
    painter.fillRect(Cell(thickness, track), QBrush(m_troughPattern));

    PaintArrow(painter, Cell(0, thickness), false, m_backwardPressed);
    const int forwardStart = length - (m_extraCells + 1) * thickness;
    PaintArrow(painter, Cell(forwardStart, thickness), true, m_forwardPressed);

    for (int cell = 0; cell < m_extraCells; ++cell) {
        const QRect box = Cell(length - (m_extraCells - cell) * thickness, thickness);
        PaintRaisedCell(painter, box);
        const QPoint c = box.center();
        // Cells 0 and 1 carry a plus and a minus 6 px wide, 2 px thick.
        if (cell <= 1)
            painter.fillRect(c.x() - 3, c.y() - 1, 6, 2, Qt::black);
        if (cell == 0)
            painter.fillRect(c.x() - 1, c.y() - 3, 2, 6, Qt::black);
    }

    const int thumb = GetThumbLength();
    if (thumb > 0)
        PaintRaisedCell(painter, Cell(thickness + m_thumbOffset, thumb));
}
