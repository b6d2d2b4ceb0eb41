#include "editor/WaveCtrl.h"

#include "audio/EditHistory.h"
#include "audio/WaveMoveEdit.h"
#include "audio/WaveRecorder.h"
#include "audio/WmaWriter.h"
#include "editor/ControlPad.h"
#include "editor/IPadView.h"
#include "editor/Paint3d.h"
#include "publish/ProgressDialog.h"
#include "platform/ColorRef.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

#include <algorithm>

namespace {

struct ZoomEntry
{
    int pixelsPerTick;
    int msPerTick;
};

constexpr ZoomEntry kZoom[CWaveCtrl::kZoomLevels] = {
    {10, 5000}, {20, 5000}, {10, 1000}, {20, 1000}, {10, 200},
    {20, 200},  {10, 50},   {20, 40},   {10, 20},   {20, 20},
};

constexpr int kBlinkMs = 500;
// The play clock measures elapsed time; the tick only sets how often it looks.
constexpr int kPlayTickMs = 10;
constexpr uint32_t kYellow = 0x00FFFF;
constexpr uint32_t kNavy = 0x800000;
constexpr uint32_t kShade = 0xBEA18A;
constexpr uint32_t kRulerGrey = 0x99A8AC;

int ClampLevel(int level)
{
    return std::clamp(level, 0, CWaveCtrl::kZoomLevels - 1);
}

uint32_t ClampMs(int64_t ms)
{
    return static_cast<uint32_t>(std::clamp<int64_t>(ms, 0, UINT32_MAX));
}

} // namespace

CWaveCtrl::CWaveCtrl(QWidget* parent) : QWidget(parent), m_progress(new CProgressDialog(this))
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // A click gives the timeline the keyboard, away from a time field.
    setFocusPolicy(Qt::StrongFocus);
    m_blinkTimer.setInterval(kBlinkMs);
    connect(&m_blinkTimer, &QTimer::timeout, this, &CWaveCtrl::OnBlinkTimer);
    m_playTimer.setInterval(kPlayTickMs);
    m_playTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_playTimer, &QTimer::timeout, this, &CWaveCtrl::TickPlayClock);
}

CWaveCtrl::~CWaveCtrl()
{
    // Workers post back to this window and read its tracks: they end first.
    WaitForWorkers();
    // The recording goes with the window: no file to read, nobody to tell.
    if (m_recording)
        EndRecording(false);
    if (m_playing)
        StopPlayback();
    m_blinkTimer.stop();
    m_playList.clear();
    m_tracks.clear();
}

void CWaveCtrl::SetBusy(bool busy)
{
    const bool before = IsBusy();
    if (busy)
        ++m_busy;
    else if (m_busy > 0)
        --m_busy;
    if (IsBusy() != before)
        emit busyChanged(IsBusy());
}

void CWaveCtrl::Initialize()
{
    BuildWmaFormatList(CWmaWriter::OfferedFormats());
    setAcceptDrops(true);
    if (!m_blinkTimer.isActive())
        m_blinkTimer.start();
}

int CWaveCtrl::PixelsPerTick(int level)
{
    return kZoom[ClampLevel(level)].pixelsPerTick;
}

int CWaveCtrl::MsPerTick(int level)
{
    return kZoom[ClampLevel(level)].msPerTick;
}

int CWaveCtrl::MsPerPixel(int level)
{
    return MsPerTick(level) / PixelsPerTick(level);
}

QString CWaveCtrl::RulerLabel(uint32_t t)
{
    return QString::asprintf("%02u:%02u:%02u:%02u", t / 3600000, t / 60000 % 60, t / 1000 % 60,
                             t % 1000);
}

void CWaveCtrl::SetZoomLevel(int level)
{
    m_zoomLevel = ClampLevel(level);
    Invalidate();
}

void CWaveCtrl::Zoom(bool finer)
{
    const uint32_t m = MsPerPixel(m_zoomLevel);
    if (finer) {
        if (m_zoomLevel >= kZoomLevels - 1)
            return;
        const uint64_t leftEdge = uint64_t(std::max(m_scrollX, 0)) * m;
        ++m_zoomLevel;
        m_scrollX = static_cast<int>(std::min<uint64_t>(leftEdge / MsPerPixel(m_zoomLevel),
                                                        INT32_MAX));
    } else {
        if (m_zoomLevel <= 0)
            return;
        --m_zoomLevel;
        m_scrollX = static_cast<int>(uint64_t(std::max(m_scrollX, 0)) * m /
                                     MsPerPixel(m_zoomLevel));
        const int64_t content = GetContentWidth();
        if (content < int64_t{width()} + m_scrollX)
            m_scrollX = static_cast<int>(std::max<int64_t>(content - width(), 0));
    }
    Invalidate();
}

QRect CWaveCtrl::GetMarkerBandRect() const
{
    return QRect(0, 0, width(), kMarkerBandHeight);
}

QRect CWaveCtrl::GetRulerRect() const
{
    return QRect(0, kMarkerBandHeight, width(), kRulerBottom - kMarkerBandHeight);
}

QRect CWaveCtrl::GetTrackAreaRect() const
{
    return QRect(0, kRulerBottom, width(), std::max(height() - kRulerBottom, 0));
}

CAudioTrack* CWaveCtrl::TrackFromPoint(int x, int y) const
{
    if (x < 0 || x >= width())
        return nullptr;
    for (const auto& track : m_tracks) {
        const int top = kRulerBottom + kTrackHeight * track->GetIndex() - m_scrollY;
        if (y >= top && y < top + kTrackHeight)
            return track.get();
    }
    return nullptr;
}

uint32_t CWaveCtrl::GetProjectLength() const
{
    uint32_t length = 0;
    for (const auto& track : m_tracks)
        length = std::max(length, track->GetLength());
    return length;
}

int64_t CWaveCtrl::GetContentWidth() const
{
    return int64_t{GetProjectLength()} * PixelsPerTick(m_zoomLevel) / MsPerTick(m_zoomLevel);
}

int64_t CWaveCtrl::GetContentHeight() const
{
    return int64_t{GetTrackCount()} * kTrackHeight + 210;
}

int64_t CWaveCtrl::MsToX(uint32_t ms) const
{
    return int64_t{ms} / MsPerPixel() - m_scrollX;
}

int64_t CWaveCtrl::XToMs(int64_t x) const
{
    return (x + m_scrollX) * MsPerPixel();
}

void CWaveCtrl::SetScrollX(int x)
{
    m_scrollX = std::max(x, 0);
    m_scrollAtPlayStart = m_scrollX;
    Invalidate();
}

void CWaveCtrl::SetScrollY(int y)
{
    m_scrollY = std::max(y, 0);
    Invalidate();
}

void CWaveCtrl::SetSelection(uint32_t start, uint32_t end)
{
    m_selStart = std::min(start, end);
    m_selEnd = std::max(start, end);
    Invalidate();
}

void CWaveCtrl::SetEditCursor(uint32_t ms)
{
    UpdateColumn(MsToX(m_editCursor));
    m_editCursor = ms;
    UpdateColumn(MsToX(m_editCursor));
}

void CWaveCtrl::ClearSelection()
{
    m_selStart = m_selEnd = 0;
    m_loopRun = false;
    emit selectionChanged();
    Invalidate();
}

void CWaveCtrl::MoveCursorToStart()
{
    m_editCursor = 0;
    m_follow = false;
    m_scrollX = m_scrollAtPlayStart = 0;
    emit cursorMoved();
    Invalidate();
}

CAudioTrack* CWaveCtrl::GetTrack(int index) const
{
    if (index < 0 || index >= GetTrackCount())
        return nullptr;
    return m_tracks[static_cast<size_t>(index)].get();
}

void CWaveCtrl::Renumber()
{
    for (size_t i = 0; i < m_tracks.size(); ++i)
        m_tracks[i]->SetIndex(static_cast<int>(i));
}

void CWaveCtrl::InsertTrack(std::unique_ptr<CAudioTrack> track)
{
    if (!track)
        return;
    CAudioTrack* raw = track.get();
    const int index = raw->GetIndex();
    if (index >= 0 && index < GetTrackCount())
        m_tracks.insert(m_tracks.begin() + index, std::move(track));
    else
        m_tracks.push_back(std::move(track));
    Renumber();
    if (m_padView)
        m_padView->AddPad(raw);
    RebuildPlayList();
    Invalidate();
    emit trackInserted();
}

CAudioTrack* CWaveCtrl::AddNewTrack()
{
    std::unique_ptr<ITrackPad> pad = m_padFactory ? m_padFactory() : nullptr;
    // The pad reports clicks and mute changes to this window.
    if (auto* controlPad = dynamic_cast<CControlPad*>(pad.get()))
        controlPad->SetWaveCtrl(this);
    auto track = std::make_unique<CAudioTrack>(std::move(pad));
    track->SetIndex(GetTrackCount());
    CAudioTrack* raw = track.get();
    InsertTrack(std::move(track));
    return raw;
}

std::unique_ptr<CAudioTrack> CWaveCtrl::RemoveTrack(CAudioTrack* track)
{
    auto it = std::find_if(m_tracks.begin(), m_tracks.end(),
                           [track](const auto& held) { return held.get() == track; });
    if (it == m_tracks.end())
        return nullptr;
    track->StopAll();
    std::unique_ptr<CAudioTrack> taken = std::move(*it);
    m_tracks.erase(it);
    Renumber();
    if (m_padView)
        m_padView->RemovePad(track);
    // Nothing keeps pointing into a track that left the timeline.
    if (m_draggedClip && m_draggedClip->GetOwnerTrack() == track)
        m_draggedClip = nullptr;
    if (m_contextClip && m_contextClip->GetOwnerTrack() == track)
        m_contextClip = nullptr;
    if (m_contextTrack == track)
        m_contextTrack = nullptr;
    if (m_openTarget == track)
        m_openTarget = nullptr;
    RebuildPlayList();
    emit trackDeleted();
    Invalidate();
    return taken;
}

void CWaveCtrl::RemoveAllTracks()
{
    if (m_playing)
        StopPlayback();
    if (m_padView)
        m_padView->RemoveAllPads();
    m_playList.clear();
    m_draggedClip = nullptr;
    m_recordingClip = nullptr;
    m_contextClip = nullptr;
    m_contextTrack = nullptr;
    m_openTarget = nullptr;
    m_tracks.clear();
    Invalidate();
}

void CWaveCtrl::SelectTrack(CAudioTrack* track)
{
    for (const auto& held : m_tracks)
        held->SetCurrent(held.get() == track);
    if (m_padView)
        m_padView->RefreshPads();
}

CAudioTrack* CWaveCtrl::GetSelectedTrack() const
{
    for (const auto& track : m_tracks) {
        if (track->IsCurrent())
            return track.get();
    }
    return nullptr;
}

void CWaveCtrl::DeselectAllClips()
{
    for (const auto& track : m_tracks)
        track->DeselectAll();
}

bool CWaveCtrl::HasAudio() const
{
    return std::any_of(m_tracks.begin(), m_tracks.end(),
                       [](const auto& track) { return track->GetClipCount() > 0; });
}

int CWaveCtrl::RebuildPlayList()
{
    m_playList.clear();
    for (const auto& track : m_tracks) {
        for (int i = 0; i < track->GetClipCount(); ++i)
            AddToPlayList(track->GetClip(i));
    }
    return GetTrackCount();
}

void CWaveCtrl::AddToPlayList(CWaveDoc* clip)
{
    const auto before = std::find_if(m_playList.begin(), m_playList.end(), [clip](CWaveDoc* held) {
        return held->GetStart() < clip->GetStart();
    });
    m_playList.insert(before, clip);
}

void CWaveCtrl::StartPlayback()
{
    if (m_playing)
        StopPlayback();
    RebuildPlayList();
    m_playing = true;
    m_playColumn = 0;
    m_playCursorShown = false;
    m_scrollAtPlayStart = m_scrollX;
    m_playStartTick = m_ticks();
    if (!m_playTimer.isActive())
        m_playTimer.start();
    m_follow = true;
    emit playStarted(m_playStartMs);
}

void CWaveCtrl::Play()
{
    if (!m_loopOption || m_selStart == m_selEnd || m_recording) {
        m_playStartMs = m_editCursor;
        m_loopRun = false;
    } else {
        m_playStartMs = m_selStart;
        m_loopRun = true;
    }
    StartPlayback();
}

void CWaveCtrl::PlayFromStart()
{
    m_playStartMs = 0;
    StartPlayback();
}

void CWaveCtrl::Pause()
{
    // Stopped, there is no play time to keep.
    if (!m_playing)
        return;
    m_editCursor = PlaybackTime();
    m_scrollAtPlayStart = m_scrollX;
    StopPlayback();
}

void CWaveCtrl::StopPlayback()
{
    const bool writeFailed = m_recording && EndRecording(true);
    m_playing = false;
    m_scrollX = m_scrollAtPlayStart;
    for (const auto& track : m_tracks)
        track->StopAll();
    m_playTimer.stop();
    m_playCursorShown = false;
    Invalidate();
    emit playStopped();
    // Told once playback is over, so the message box's own event loop finds
    // the window stopped.
    if (writeFailed)
        ReportRecordWriteFailure();
}

uint32_t CWaveCtrl::PlaybackTime() const
{
    return m_ticks() - m_playStartTick + m_playStartMs;
}

void CWaveCtrl::TickPlayClock()
{
    if (!m_playing)
        return;
    const uint32_t t = PlaybackTime();
    if (m_loopRun && t >= m_selEnd) {
        StopPlayback();
        Play();
        return;
    }
    if (t >= GetProjectLength() && !m_recording) {
        StopPlayback();
        return;
    }
    for (CWaveDoc* clip : m_playList) {
        if (clip == m_recordingClip || clip->IsPlaying())
            continue;
        const uint64_t start = clip->GetStart();
        if (start < t && start + clip->GetDuration() > t)
            clip->PlayAt(t);
    }
    const int64_t x = int64_t{t} / MsPerPixel() - m_scrollX;
    if (x != m_playColumn || !m_playCursorShown) {
        UpdateColumn(m_playColumn);
        m_playColumn = static_cast<int>(std::clamp<int64_t>(x, INT32_MIN / 2, INT32_MAX / 2));
        UpdateColumn(m_playColumn);
        m_playCursorShown = true;
    }
    if (m_follow && m_playColumn >= GetTrackAreaRect().right())
        emit playPageEnd();
}

void CWaveCtrl::MuteTrack(CAudioTrack* track)
{
    if (!track)
        return;
    track->SetMute(true);
    Invalidate();
}

void CWaveCtrl::UnmuteTrack(CAudioTrack* track)
{
    if (!track)
        return;
    track->SetMute(false);
    Invalidate();
}

int CWaveCtrl::HitTest(int x, int y) const
{
    const int64_t s = MsToX(m_selStart);
    const int64_t e = MsToX(m_selEnd);
    if ((x < s - 3 || x > e + 3) && y < kMarkerBandHeight)
        return ZoneNone;
    if (x >= s - 3 && x <= s + 3)
        return ZoneSelStart;
    if (x >= e - 3 && x <= e + 3)
        return ZoneSelEnd;
    if (y >= 8 && y < kMarkerBandHeight)
        return ZoneSelectionBand;
    return y > kRulerBottom ? ZoneTracks : ZoneRuler;
}

void CWaveCtrl::UpdateCursorShape(int zone)
{
    switch (zone) {
    case ZoneSelectionBand: setCursor(Qt::SizeAllCursor); break;
    case ZoneSelStart:
    case ZoneSelEnd: setCursor(Qt::SizeHorCursor); break;
    default: setCursor(Qt::ArrowCursor); break;
    }
}

void CWaveCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        const QPoint p = event->position().toPoint();
        if (HitTest(p.x(), p.y()) == ZoneTracks) {
            SelectTrack(TrackFromPoint(p.x(), p.y()));
            Invalidate();
        }
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint p = event->position().toPoint();
    m_mouseAnchor = p.x();
    m_buttonDown = true;
    m_gestureZone = HitTest(p.x(), p.y());
    UpdateCursorShape(m_gestureZone);
    if (m_gestureZone == ZoneTracks) {
        DeselectAllClips();
        m_draggedClip = nullptr;
        CAudioTrack* track = TrackFromPoint(p.x(), p.y());
        if (track) {
            CWaveDoc* clip = track->ClipAt(XToMs(p.x()));
            if (clip) {
                clip->SetSelected(true);
                // A worker reading the timeline must not see clips move.
                if (!IsBusy()) {
                    m_draggedClip = clip;
                    m_draggedClipStart = clip->GetStart();
                }
            }
        }
        SelectTrack(track);
        Invalidate();
    }
}

void CWaveCtrl::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (m_gestureZone != ZoneSelectionBand)
        UpdateCursorShape(HitTest(p.x(), p.y()));
    if (!(event->buttons() & Qt::LeftButton) || !m_buttonDown)
        return;
    // Past the right edge the drag acts at the edge; past the left at 0.
    const int x = std::clamp(p.x(), 0, width());
    if (x == m_mouseAnchor)
        return;
    const int m = MsPerPixel();
    switch (m_gestureZone) {
    case ZoneTracks:
    case ZoneNone:
        if (m_draggedClip) {
            const int64_t start = std::max<int64_t>(
                int64_t{m_draggedClip->GetStart()} + int64_t{x - m_mouseAnchor} * m, 0);
            m_mouseAnchor = x;
            if (start != m_draggedClip->GetStart()) {
                m_draggedClip->SetStart(ClampMs(start));
                m_draggedClip->StopPlayback();
                emit clipMoved();
                Invalidate();
            }
        } else {
            m_selStart = ClampMs(XToMs(std::min(m_mouseAnchor, x)));
            m_selEnd = ClampMs(XToMs(std::max(m_mouseAnchor, x)));
            m_selectionShaded = true;
            emit selectionChanged();
            Invalidate();
        }
        break;
    case ZoneSelectionBand: {
        setCursor(Qt::SizeAllCursor);
        const int64_t d = int64_t{x - m_mouseAnchor} * m;
        m_mouseAnchor = x;
        const int64_t start = int64_t{m_selStart} + d;
        const int64_t end = int64_t{m_selEnd} + d;
        if (start >= 0 && end < XToMs(width())) {
            m_selStart = ClampMs(start);
            m_selEnd = ClampMs(end);
            m_selectionShaded = true;
            emit selectionChanged();
            Invalidate();
        }
        break;
    }
    case ZoneSelStart:
    case ZoneSelEnd: {
        // Dragging an edge past the other swaps their roles, so the
        // selection stays ordered wherever the mouse goes.
        const uint32_t t = ClampMs(XToMs(x));
        if (m_gestureZone == ZoneSelStart) {
            if (t > m_selEnd) {
                m_selStart = m_selEnd;
                m_selEnd = t;
                m_gestureZone = ZoneSelEnd;
            } else {
                m_selStart = t;
            }
        } else {
            if (t >= m_selStart) {
                m_selEnd = t;
            } else {
                m_selEnd = m_selStart;
                m_selStart = t;
                m_gestureZone = ZoneSelStart;
            }
        }
        m_mouseAnchor = static_cast<int>(
            MsToX(m_gestureZone == ZoneSelStart ? m_selEnd : m_selStart));
        m_selectionShaded = true;
        emit selectionChanged();
        Invalidate();
        break;
    }
    default:
        break;
    }
}

void CWaveCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_buttonDown)
        return;
    const int x = std::clamp(event->position().toPoint().x(), 0, width());
    const bool dragged = m_draggedClip && m_draggedClip->GetStart() != m_draggedClipStart;
    if (m_gestureZone != ZoneSelectionBand && !m_draggedClip) {
        m_editCursor = ClampMs(XToMs(x));
        emit cursorMoved();
        if (x == m_mouseAnchor) {
            m_selectionShaded = false;
        } else {
            if (m_gestureZone != ZoneSelStart && m_gestureZone != ZoneSelEnd) {
                const uint32_t anchorMs = ClampMs(XToMs(m_mouseAnchor));
                m_selStart = std::min(anchorMs, m_editCursor);
                m_selEnd = std::max(anchorMs, m_editCursor);
                emit selectionChanged();
            }
            m_editCursor = m_selStart;
        }
    }
    if (dragged && m_gestureZone == ZoneTracks && m_history)
        m_history->Add(std::make_unique<CWaveMoveEdit>(m_draggedClip, m_draggedClip->GetStart(),
                                                       m_draggedClipStart));
    m_gestureZone = ZoneNone;
    m_draggedClip = nullptr;
    m_buttonDown = false;
    Invalidate();
}

void CWaveCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Play();
}

void CWaveCtrl::OnBlinkTimer()
{
    if (m_recording) {
        Invalidate();
        return;
    }
    if (m_playing)
        return;
    m_blinkPhase ^= 1;
    UpdateColumn(MsToX(m_editCursor));
}

void CWaveCtrl::UpdateColumn(int64_t x)
{
    if (x < 0 || x >= width())
        return;
    update(QRect(static_cast<int>(x), 0, 1, height()));
}

void CWaveCtrl::Invalidate()
{
    m_backgroundValid = false;
    update();
}

void CWaveCtrl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_backgroundValid = false;
}

void CWaveCtrl::paintEvent(QPaintEvent* event)
{
    if (!m_backgroundValid || m_background.size() != size() * devicePixelRatioF())
        RenderBackground();
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.drawPixmap(0, 0, m_background);

    const QRect area = GetTrackAreaRect();
    if (m_playing && m_playCursorShown) {
        painter.setCompositionMode(QPainter::CompositionMode_Difference);
        painter.setPen(Qt::white);
        painter.drawLine(m_playColumn, area.top(), m_playColumn, area.bottom());
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    const int64_t cursor = MsToX(m_editCursor);
    if (cursor > 0 && cursor < area.width()) {
        const QColor color = (m_playing || m_blinkPhase == 1) ? Qt::black : Qt::white;
        painter.setPen(color);
        painter.drawLine(static_cast<int>(cursor), area.top(), static_cast<int>(cursor),
                         area.bottom());
    }
}

void CWaveCtrl::RenderBackground()
{
    const qreal ratio = devicePixelRatioF();
    m_background = QPixmap(size() * ratio);
    m_background.setDevicePixelRatio(ratio);
    const QPalette& pal = palette();
    m_background.fill(pal.color(QPalette::Button));
    QPainter painter(&m_background);
    Draw3dRect(painter, GetMarkerBandRect(), pal.color(QPalette::Light),
               pal.color(QPalette::Dark));
    DrawRuler(painter);
    DrawSelection(painter);
    DrawTracks(painter);
    m_backgroundValid = true;
}

void CWaveCtrl::DrawRuler(QPainter& painter) const
{
    const QRect ruler = GetRulerRect();
    const QPalette& pal = palette();
    Draw3dRect(painter, ruler, pal.color(QPalette::Light), pal.color(QPalette::Dark));
    const QColor grey = ColorRefToQColor(kRulerGrey);
    const int y0 = ruler.bottom() + 1 - 8;
    painter.setPen(grey);
    painter.drawLine(ruler.left() + 1, y0, ruler.right() - 1, y0);
    painter.setPen(Qt::white);
    painter.drawLine(ruler.left() + 1, y0 + 1, ruler.right() - 1, y0 + 1);

    const int ppt = PixelsPerTick(m_zoomLevel);
    const int mpt = MsPerTick(m_zoomLevel);
    // Start at the first visible tick, so a long project paints as fast as a short one.
    const int64_t firstTick = std::max(m_scrollX, 0) / ppt;
    QFont font(QStringLiteral("新宋体"));
    font.setPixelSize(12);
    font.setWeight(QFont::Light);
    painter.setFont(font);
    for (int64_t n = firstTick;; ++n) {
        const int64_t x = ruler.left() + n * ppt - m_scrollX;
        if (x - 1 >= ruler.right())
            break;
        const int length = n % 10 == 0 ? 6 : 3;
        painter.setPen(grey);
        painter.drawLine(static_cast<int>(x - 1), y0 - 1, static_cast<int>(x - 1), y0 - length);
        painter.setPen(Qt::white);
        painter.drawLine(static_cast<int>(x), y0 - 1, static_cast<int>(x), y0 - length);
        if (n % 10 == 0) {
            painter.setPen(Qt::black);
            const uint32_t t = ClampMs(n * mpt);
            painter.drawText(QRect(static_cast<int>(x + 2), y0 - 1 - 12 - 4, 200, 14),
                             Qt::AlignLeft | Qt::AlignTop, RulerLabel(t));
        }
    }
}

void CWaveCtrl::DrawSelection(QPainter& painter) const
{
    const QColor yellow = ColorRefToQColor(kYellow);
    const QColor navy = ColorRefToQColor(kNavy);
    const int bottom = height();
    const int64_t e = MsToX(m_selEnd);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (e == 0) {
        painter.setPen(yellow);
        painter.setBrush(yellow);
        painter.drawPolygon(QPolygon({QPoint(0, 19), QPoint(0, 7), QPoint(12, 7)}));
        painter.restore();
        return;
    }
    // Far-off edges are drawn just outside the window.
    const int s = static_cast<int>(std::clamp<int64_t>(MsToX(m_selStart), -20, width() + 20));
    const int ee = static_cast<int>(std::clamp<int64_t>(e, -20, width() + 20));
    painter.setPen(navy);
    painter.setBrush(navy);
    painter.drawPolygon(QPolygon({QPoint(s + 1, 19), QPoint(s + 1, 7), QPoint(ee - 1, 7),
                                  QPoint(ee - 1, 19)}));
    painter.setPen(yellow);
    painter.setBrush(yellow);
    painter.drawPolygon(QPolygon({QPoint(s + 1, 19), QPoint(s + 1, 7), QPoint(s + 13, 7)}));
    painter.drawPolygon(QPolygon({QPoint(ee - 1, 19), QPoint(ee - 1, 7), QPoint(ee - 13, 7)}));
    painter.setPen(navy);
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(QPolygon({QPoint(s, bottom), QPoint(s, 6), QPoint(ee, 6),
                                   QPoint(ee, bottom)}));
    if (m_selectionShaded) {
        const QColor shade = ColorRefToQColor(kShade);
        painter.setPen(shade);
        painter.setBrush(shade);
        painter.drawPolygon(QPolygon({QPoint(s, bottom), QPoint(s, 49), QPoint(ee, 49),
                                      QPoint(ee, bottom)}));
    }
    painter.restore();
}

void CWaveCtrl::DrawTracks(QPainter& painter) const
{
    const QRect area = GetTrackAreaRect();
    painter.save();
    painter.setClipRect(area);
    for (const auto& track : m_tracks) {
        const QRect row(0, kRulerBottom + kTrackHeight * track->GetIndex() - m_scrollY, width(),
                        kTrackHeight);
        if (row.intersects(area))
            track->Draw(painter, row, m_scrollX, MsPerPixel());
    }
    painter.restore();
}
