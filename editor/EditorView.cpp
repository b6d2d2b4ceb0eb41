#include "editor/EditorView.h"

#include "editor/ControlView.h"
#include "editor/EditorIcons.h"
#include "editor/HorizontalScrollBarEx.h"
#include "editor/MaskEdit.h"
#include "editor/Paint3d.h"
#include "editor/VerticalScrollBarEx.h"
#include "editor/WaveCtrl.h"

#include <QAction>
#include <QPainter>
#include <QToolBar>

#include <algorithm>

namespace {

constexpr char kTimeMask[] = "88:88:88:88";
constexpr char kTimeLiteral[] = "__:__:__:__";
constexpr char kZeroTime[] = "00:00:00:00";
// Below this width the transport buttons give way to the time fields.
constexpr int kToolbarMinWidth = 450;

} // namespace

CEditorView::CEditorView(QWidget* parent)
    : QWidget(parent), m_waveCtrl(new CWaveCtrl(this)), m_hBar(new CHorizontalScrollBarEx(this)),
      m_vBar(new CVerticalScrollBarEx(this)), m_start(new CMaskEdit(this)),
      m_end(new CMaskEdit(this)), m_length(new CMaskEdit(this))
{
    CreateToolbar();
    CWaveCtrl* ctrl = m_waveCtrl;
    // The timeline's notices arrive as posted messages would: after the
    // operation that raised them has finished.
    const auto queued = Qt::QueuedConnection;
    connect(ctrl, &CWaveCtrl::clipAdded, this, &CEditorView::UpdateHorizontalRange, queued);
    connect(ctrl, &CWaveCtrl::contentChanged, this, &CEditorView::UpdateHorizontalRange, queued);
    connect(ctrl, &CWaveCtrl::clipMoved, this, &CEditorView::UpdateHorizontalRange, queued);
    connect(ctrl, &CWaveCtrl::trackInserted, this, &CEditorView::OnTrackCountChanged, queued);
    connect(ctrl, &CWaveCtrl::trackDeleted, this, &CEditorView::OnTrackCountChanged, queued);
    connect(ctrl, &CWaveCtrl::playPageEnd, this, &CEditorView::OnPlayPageEnd, queued);
    connect(ctrl, &CWaveCtrl::playStopped, this, &CEditorView::OnPlayStopped, queued);
    connect(ctrl, &CWaveCtrl::cursorMoved, this, &CEditorView::OnCursorMoved, queued);
    connect(ctrl, &CWaveCtrl::playStarted, this, &CEditorView::OnPlayStarted, queued);
    connect(ctrl, &CWaveCtrl::selectionChanged, this, &CEditorView::OnSelectionChanged, queued);
    connect(ctrl, &CWaveCtrl::recordingStopped, this, &CEditorView::OnRecordingStopped, queued);
    connect(ctrl, &CWaveCtrl::recordBufferDone, this, &CEditorView::UpdateHorizontalRange, queued);
    connect(m_hBar, &CScrollBarEx::scrolled, this, &CEditorView::OnHScroll);
    connect(m_vBar, &CScrollBarEx::scrolled, this, &CEditorView::OnVScroll);
    connect(m_hBar, &CHorizontalScrollBarEx::zoomInRequested, this, [this] { OnZoom(true); });
    connect(m_hBar, &CHorizontalScrollBarEx::zoomOutRequested, this, [this] { OnZoom(false); });
    connect(m_start, &QLineEdit::returnPressed, this, &CEditorView::ApplyStartEdit);
    connect(m_end, &QLineEdit::returnPressed, this, &CEditorView::ApplyEndEdit);
    connect(m_length, &QLineEdit::returnPressed, this, &CEditorView::ApplyLengthEdit);
}

void CEditorView::CreateToolbar()
{
    using EditorIcons::Icon;
    m_toolbar = new QToolBar(this);
    m_toolbar->setIconSize(QSize(18, 18));
    m_toolbar->setStyleSheet(
        QStringLiteral("QToolTip { background: #FFFFE1; color: #0000C8; }"));
    const auto add = [this](Icon icon, const QString& tip) {
        QAction* action = m_toolbar->addAction(EditorIcons::Make(icon, 18), tip);
        action->setToolTip(tip);
        return action;
    };
    m_record = add(Icon::Record, QStringLiteral("录音"));
    m_record->setCheckable(true);
    connect(m_record, &QAction::triggered, this, &CEditorView::OnRecord);
    m_toolbar->addSeparator();
    m_loop = add(Icon::Loop, QStringLiteral("循环播放"));
    m_loop->setCheckable(true);
    connect(m_loop, &QAction::triggered, this, &CEditorView::OnLoop);
    m_toolbar->addSeparator();
    connect(add(Icon::PlayFromStart, QStringLiteral("从头播放")), &QAction::triggered, m_waveCtrl,
            &CWaveCtrl::PlayFromStart);
    connect(add(Icon::Play, QStringLiteral("从光标处播放")), &QAction::triggered, m_waveCtrl,
            &CWaveCtrl::Play);
    connect(add(Icon::Pause, QStringLiteral("暂停")), &QAction::triggered, m_waveCtrl,
            &CWaveCtrl::Pause);
    connect(add(Icon::Stop, QStringLiteral("停止")), &QAction::triggered, m_waveCtrl,
            &CWaveCtrl::StopPlayback);
    m_toolbar->addSeparator();
    connect(add(Icon::GoToStart, QStringLiteral("到起始点")), &QAction::triggered, this,
            &CEditorView::OnGoToStart);
    connect(add(Icon::CancelSelection, QStringLiteral("取消选择")), &QAction::triggered,
            m_waveCtrl, &CWaveCtrl::ClearSelection);
}

void CEditorView::SetControlView(CControlView* view)
{
    m_controlView = view;
    m_waveCtrl->SetControlView(view);
    if (view)
        view->SetWaveCtrl(m_waveCtrl);
}

void CEditorView::InitEditor()
{
    if (m_initialised)
        return;
    m_initialised = true;
    m_waveCtrl->Initialize();
    QFont fieldFont(QStringLiteral("宋体"));
    fieldFont.setPixelSize(11);
    for (CMaskEdit* field : {m_start, m_end, m_length}) {
        field->setFont(fieldFont);
        field->SetMask(kTimeMask, kTimeLiteral);
        field->SetMaskedText(kZeroTime);
    }
}

QString CEditorView::FormatTime(uint32_t t)
{
    return QString::asprintf("%02u:%02u:%02u:%02u", t / 3600000, t / 60000 % 60, t / 1000 % 60,
                             t % 1000 / 10);
}

uint32_t CEditorView::ParseTime(const QString& text)
{
    const QStringList parts = text.split(u':');
    int64_t fields[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4 && i < parts.size(); ++i) {
        // Like atoi: leading digits count, anything else stops the number.
        const QString part = parts[i].trimmed();
        int64_t value = 0;
        for (QChar c : part) {
            if (c < u'0' || c > u'9' || value > 1000000)
                break;
            value = value * 10 + (c.unicode() - u'0');
        }
        fields[i] = value;
    }
    const int64_t ms =
        ((fields[0] * 3600 + fields[1] * 60 + fields[2]) * 1000) + fields[3] * 10;
    return static_cast<uint32_t>(std::min<int64_t>(ms, UINT32_MAX));
}

void CEditorView::ApplyStartEdit()
{
    const uint64_t start = ParseTime(m_start->text());
    const uint64_t end = std::min<uint64_t>(start + ParseTime(m_length->text()), UINT32_MAX);
    m_end->SetMaskedText(FormatTime(static_cast<uint32_t>(end)));
    m_waveCtrl->SetSelection(static_cast<uint32_t>(start), static_cast<uint32_t>(end));
}

void CEditorView::ApplyEndEdit()
{
    uint32_t end = ParseTime(m_end->text());
    const uint32_t length = ParseTime(m_length->text());
    uint32_t start = 0;
    if (end < length)
        end = length;
    else
        start = end - length;
    m_start->SetMaskedText(FormatTime(start));
    m_end->SetMaskedText(FormatTime(end));
    m_waveCtrl->SetSelection(start, end);
}

void CEditorView::ApplyLengthEdit()
{
    const uint64_t start = ParseTime(m_start->text());
    const uint64_t end = std::min<uint64_t>(start + ParseTime(m_length->text()), UINT32_MAX);
    m_end->SetMaskedText(FormatTime(static_cast<uint32_t>(end)));
    // The selection keeps its start; an end before it makes the two swap.
    m_waveCtrl->SetSelection(m_waveCtrl->GetSelectionStart(), static_cast<uint32_t>(end));
}

void CEditorView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    const QRect strip(0, h - kStripHeight, w, kStripHeight);
    if (m_toolbar) {
        if (w > kToolbarMinWidth)
            m_toolbar->setGeometry(strip.adjusted(2, 2, -232, -2));
        else
            m_toolbar->setGeometry(strip.left() + 2, strip.top() + 2, 0, strip.height() - 4);
    }
    const QRect inner = strip.adjusted(2, 2, -2, -2);
    const int right = inner.right() + 1;
    const int top = inner.top() + 5;
    const int fieldHeight = std::max(inner.height() - 10, 0);
    m_start->setGeometry(right - 225, top, 70, fieldHeight);
    m_end->setGeometry(right - 150, top, 70, fieldHeight);
    m_length->setGeometry(right - 75, top, 70, fieldHeight);
    m_hBar->setGeometry(0, h - 47, std::max(w - kBarThickness, 0), kBarThickness);
    m_vBar->setGeometry(w - kBarThickness, 0, kBarThickness, std::max(h - kStripHeight, 0));
    m_waveCtrl->setGeometry(0, 0, std::max(w - kBarThickness, 0), std::max(h - 47, 0));
}

void CEditorView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const SystemColors colors = SystemColors::FromPalette(palette());
    Draw3dRect(painter, QRect(0, height() - kStripHeight, width(), kStripHeight),
               colors.highlight, colors.shadow);
}

void CEditorView::OnHScroll()
{
    m_waveCtrl->SetScrollX(m_hBar->GetPos());
    m_waveCtrl->SetFollow(m_autoPage);
    m_autoPage = false;
}

void CEditorView::OnVScroll()
{
    m_waveCtrl->SetScrollY(m_vBar->GetPos());
    if (m_controlView)
        m_controlView->ScrollPads(m_vBar->GetPos());
}

void CEditorView::UpdateHorizontalRange()
{
    m_hBar->SetRange(static_cast<int>(std::min<int64_t>(m_waveCtrl->GetContentWidth(),
                                                        INT32_MAX)));
}

void CEditorView::OnTrackCountChanged()
{
    m_vBar->SetRange(static_cast<int>(std::min<int64_t>(m_waveCtrl->GetContentHeight(),
                                                        INT32_MAX)));
    if (m_controlView)
        m_controlView->ResolveMuteSolo();
}

void CEditorView::OnPlayPageEnd()
{
    m_autoPage = true;
    m_hBar->PageRight();
}

void CEditorView::OnPlayStopped()
{
    m_hBar->SetPos(m_waveCtrl->GetScrollX());
    if (m_controlView) {
        m_controlView->StopTimeClock();
        m_controlView->ShowTime(m_waveCtrl->GetEditCursor());
    }
}

void CEditorView::OnCursorMoved()
{
    if (m_controlView && !m_waveCtrl->IsPlaying())
        m_controlView->ShowTime(m_waveCtrl->GetEditCursor());
}

void CEditorView::OnPlayStarted(uint32_t startMs)
{
    if (m_controlView)
        m_controlView->StartTimeClock(startMs);
}

void CEditorView::OnSelectionChanged()
{
    const uint32_t start = m_waveCtrl->GetSelectionStart();
    const uint32_t end = m_waveCtrl->GetSelectionEnd();
    m_start->SetMaskedText(FormatTime(start));
    m_end->SetMaskedText(FormatTime(end));
    m_length->SetMaskedText(FormatTime(end - start));
}

void CEditorView::OnZoom(bool finer)
{
    m_waveCtrl->Zoom(finer);
    UpdateHorizontalRange();
    m_hBar->SetPos(m_waveCtrl->GetScrollX());
}

void CEditorView::OnRecord(bool checked)
{
    if (checked)
        m_waveCtrl->StartRecording();
    else
        m_waveCtrl->StopPlayback();
}

void CEditorView::OnRecordingStopped()
{
    m_record->setChecked(false);
}

void CEditorView::OnLoop(bool checked)
{
    m_waveCtrl->SetLoopOption(checked);
    m_waveCtrl->SetLoopRun(m_waveCtrl->GetLoopRun() && checked);
}

void CEditorView::OnGoToStart()
{
    m_hBar->SetPos(0);
    m_waveCtrl->MoveCursorToStart();
}
