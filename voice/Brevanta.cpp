#include "voice/Brevanta.h"

#include "audio/IAudioPlayer.h"

#include <QMouseEvent>

#include <algorithm>
#include <cmath>

namespace {

// Longest new selection and longest edge drag, in ms.
constexpr int64_t kNewSelectionCapMs = 50000;
constexpr int64_t kEdgeDragCapMs = 51000;
constexpr int kEdgeSlack = 3; // px either side of an edge that grab it

} // namespace

CBrevanta::CBrevanta(IProgress* progress, IMessageSink* messages, std::atomic<bool>* busy,
                     QWidget* parent, PlayerFactory players, TickSource ticks)
    : QWidget(parent), m_ticks(std::move(ticks)), m_progress(progress), m_messages(messages),
      m_busy(busy)
{
    const ColorRef face = QColorToColorRef(palette().color(QPalette::Button));
    m_backColor = face;
    m_rulerLineColor = face;
    m_borderColor = face;
    m_titleBarColor = face;
    m_font = QFont(QStringLiteral("新宋体"));
    m_font.setPixelSize(12);
    m_font.setWeight(QFont::Light);
    m_voice.SetFormat(m_recordFormat);
    if (players) {
        m_musicPlayer = players();
        m_voicePlayer = players();
    }
    if (m_musicPlayer)
        m_musicPlayer->SetClip(&m_music);
    if (m_voicePlayer)
        m_voicePlayer->SetClip(&m_voice);
    // The edit cursor blinks white and black; only its line is repainted.
    m_blinkTimer.setInterval(500);
    connect(&m_blinkTimer, &QTimer::timeout, this, [this] {
        m_blinkPhase ^= 1;
        update(QRect(m_editCursor, 26, 1, std::max(height() - 28, 0)));
    });
    m_playTimer.setInterval(10);
    connect(&m_playTimer, &QTimer::timeout, this, &CBrevanta::OnPlayTimer);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    ClearMusic();
}

CBrevanta::~CBrevanta()
{
    if (m_worker.joinable()) {
        m_worker.join();
        // The worker's result is dropped with the window: free the flag it held.
        if (m_busy)
            m_busy->store(false);
    }
    // The owner hears nothing of a window going away.
    blockSignals(true);
    Stop();
    // The players' threads read the tracks declared after them: they go first.
    m_musicPlayer.reset();
    m_voicePlayer.reset();
}

int64_t CBrevanta::Total() const
{
    if (!m_music.HasData() || width() <= 2)
        return 0;
    return m_musicLength;
}

int CBrevanta::MsToX(int64_t ms) const
{
    const int64_t total = Total();
    if (total == 0)
        return 1;
    // The product is taken in single precision, as the editor always has.
    const float product = static_cast<float>(int64_t{width() - 2} * ms);
    return static_cast<int>(product / static_cast<float>(total) + 1.0f);
}

int CBrevanta::XToMs(int64_t x) const
{
    const int64_t total = Total();
    if (x <= 2 || total == 0)
        return 0;
    return static_cast<int>((x - 1) * total / (width() - 2));
}

uint32_t CBrevanta::MsToBytes(int64_t ms, const WaveFormat& format)
{
    const double exact =
        format.avgBytesPerSec / 1000.0 * static_cast<double>(std::max<int64_t>(ms, 0));
    const uint32_t bytes = exact >= UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(exact);
    return format.blockAlign == 0 ? bytes : bytes - bytes % format.blockAlign;
}

uint32_t CBrevanta::XToBytes(int64_t x) const
{
    return MsToBytes(XToMs(x), m_music.GetFormat());
}

int CBrevanta::GetPlayX() const
{
    const int64_t total = Total();
    if (total == 0)
        return 2;
    return static_cast<int>(Elapsed() * (width() - 2) / total + 1);
}

int CBrevanta::GetVoiceBlockWidth() const
{
    const int64_t total = Total();
    if (total == 0)
        return 0;
    uint32_t bytes = 0;
    if (m_recording) {
        if (!m_recordBlock)
            return 0;
        bytes = m_capture.GetFill();
    } else {
        if (!m_voice.HasData())
            return 0;
        bytes = m_voice.GetSize();
    }
    const double exact = bytes * 1000.0 * (width() - 2) / 88200 / static_cast<double>(total);
    return static_cast<int>(static_cast<float>(exact) + 1);
}

void CBrevanta::GetVoiceRange(uint32_t* offset, uint32_t* length) const
{
    *offset = 0;
    *length = 0;
    const int v = GetVoiceBlockWidth();
    const int m = m_voiceBlockX;
    const int s = m_selStart;
    const int e = m_selEnd;
    if (v <= 0 || !(s < m + v) || !(m < e))
        return;
    // 88.2 bytes per ms here against 88 in the length: the end may pass the
    // voice's last byte, so both ends are held to it.
    const uint32_t size = m_voice.GetSize();
    const uint32_t start = std::min(MsToBytes(XToMs(std::max(s, m) - m), m_recordFormat), size);
    const uint32_t end = std::min(MsToBytes(XToMs(std::min(m + v, e) - m), m_recordFormat), size);
    *offset = start;
    *length = end > start ? end - start : 0;
}

int CBrevanta::HitTest(int x, int y) const
{
    const int h = height();
    const int s = m_selStart;
    const int e = m_selEnd;
    const int v = GetVoiceBlockWidth();
    const int m = m_voiceBlockX;
    if (v > 0 && h - 17 < y && y <= h - 7 && m <= x && x <= m + v)
        return kVoiceBlock;
    if (x < s - kEdgeSlack || x > e + kEdgeSlack || y <= 4)
        return kNewSelection;
    if (y < 12)
        return kMoveSelection;
    if (s - kEdgeSlack <= x && x <= s + kEdgeSlack)
        return kStartEdge;
    if (x >= e - kEdgeSlack)
        return kEndEdge;
    if (y < 28)
        return kRulerInSelection;
    return kWaveInSelection;
}

uint32_t CBrevanta::GetMusicLength() const
{
    return m_music.HasData() ? m_musicLength : 0;
}

uint32_t CBrevanta::GetPlayPosition() const
{
    if (!m_music.HasData())
        return 0;
    return static_cast<uint32_t>(std::max<int64_t>(Elapsed(), 0));
}

void CBrevanta::SetSelectionEnd(int x)
{
    m_selEnd = x;
    if (!m_recording)
        m_playEnd = XToMs(x);
}

void CBrevanta::ClearSelection()
{
    m_selStart = 1;
    m_selEnd = 1;
    m_loopPlaying = false;
    if (!m_recording)
        m_playEnd = XToMs(1);
    emit SELECTION_CHANGED();
    update();
}

void CBrevanta::MoveCursorToStart()
{
    m_editCursor = 1;
    emit PLAY_POSITION();
    update();
}

void CBrevanta::SelectionChanged()
{
    if (!m_recording)
        m_playEnd = XToMs(m_selEnd);
    emit SELECTION_CHANGED();
}

void CBrevanta::SetCursorForZone(int zone)
{
    switch (zone) {
    case kMoveSelection:
        setCursor(m_moveCursor);
        break;
    case kStartEdge:
    case kEndEdge:
        setCursor(m_edgeCursor);
        break;
    case kVoiceBlock:
        if (!m_playing)
            setCursor(m_moveCursor);
        break;
    default:
        unsetCursor();
        break;
    }
}

int CBrevanta::ClampX(int x) const
{
    // Qt keeps sending a drag's moves past the window's edges: they count as
    // the edge itself.
    return std::clamp(x, 0, std::max(width() - 1, 0));
}

void CBrevanta::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    m_anchor = at.x();
    m_dragMode = HitTest(at.x(), at.y());
    SetCursorForZone(m_dragMode == kVoiceBlock ? kNewSelection : m_dragMode);
}

void CBrevanta::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (m_dragMode != kMoveSelection)
        SetCursorForZone(HitTest(at.x(), at.y()));
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const int x = ClampX(at.x());
    if (x == m_anchor)
        return;
    const int w = width();
    switch (m_dragMode) {
    case kWaveInSelection:
    case kNewSelection: {
        int start = std::max(std::min(m_anchor, x), 1);
        int end = std::min(std::max(m_anchor, x), w - 2);
        m_selectionMarked = true;
        if (m_anchor < x && XToMs(end) > kNewSelectionCapMs) {
            const int r = MsToX(XToMs(end) - kNewSelectionCapMs);
            if (start < r) {
                start = r;
                m_anchor = r;
            }
        } else if (m_anchor > x) {
            const int o = MsToX(XToMs(start) + kNewSelectionCapMs);
            if (o < end) {
                end = o;
                m_anchor = o;
            }
        }
        m_selStart = start;
        m_selEnd = std::max(end, start);
        SelectionChanged();
        update();
        break;
    }
    case kMoveSelection: {
        setCursor(m_moveCursor);
        const int d = x - m_anchor;
        m_anchor = x;
        if (m_selStart + d > 0 && m_selEnd + d < w - 1) {
            m_selStart += d;
            m_selEnd += d;
            m_selectionMarked = true;
            SelectionChanged();
            update();
        }
        break;
    }
    case kVoiceBlock: {
        if (m_playing)
            break;
        setCursor(m_moveCursor);
        const int moved = m_voiceBlockX + (x - m_anchor);
        m_anchor = x;
        if (moved > 0 && moved + GetVoiceBlockWidth() < w - 1) {
            m_voiceBlockX = moved;
            update();
        }
        break;
    }
    case kStartEdge:
        setCursor(m_edgeCursor);
        if (x > m_selEnd && x < w - 1) {
            m_selStart = m_selEnd;
            m_selEnd = x;
            m_dragMode = kEndEdge;
        } else if (x > 0) {
            m_selStart = std::min(x, m_selEnd);
            const int g = MsToX(XToMs(m_selStart) + kEdgeDragCapMs);
            if (g < m_selEnd)
                m_selEnd = std::max(g, m_selStart);
            m_anchor = m_selEnd;
        }
        m_selectionMarked = true;
        SelectionChanged();
        update();
        break;
    case kEndEdge:
        setCursor(m_edgeCursor);
        if (x < m_selStart && x > 0) {
            m_selEnd = m_selStart;
            m_selStart = x;
            m_dragMode = kStartEdge;
        } else if (x >= m_selStart && x < w - 1) {
            m_selEnd = x;
            if (XToMs(x) > kEdgeDragCapMs) {
                const int h = MsToX(XToMs(x) - kEdgeDragCapMs);
                m_selStart = std::min(std::max(m_selStart, h + 1), m_selEnd);
            }
            m_anchor = m_selStart;
        }
        m_selectionMarked = true;
        SelectionChanged();
        update();
        break;
    default:
        break;
    }
}

void CBrevanta::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (m_dragMode != kMoveSelection && m_dragMode != kVoiceBlock) {
        const int w = width();
        m_editCursor = std::clamp(event->position().toPoint().x(), 1, std::max(w - 1, 1));
        emit PLAY_POSITION();
        if (m_anchor == m_editCursor) {
            m_selectionMarked = false;
        } else {
            if (m_dragMode != kStartEdge && m_dragMode != kEndEdge) {
                m_selStart = std::max(1, std::min(m_anchor, m_editCursor));
                m_selEnd = std::max(m_anchor, m_editCursor);
                if (m_selEnd == w - 1)
                    m_selEnd = std::max(w - 2, m_selStart);
            }
            m_editCursor = m_selStart;
        }
    }
    m_dragMode = kNewSelection;
    update();
}
