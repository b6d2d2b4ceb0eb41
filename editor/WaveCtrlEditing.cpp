// The editing operations of the timeline: cut, copy, paste, delete and trim
// with their undo records, the track commands and the context menus.
#include "editor/WaveCtrl.h"

#include "audio/CombEdit.h"
#include "audio/EditHistory.h"
#include "audio/TrackAddEdit.h"
#include "audio/TrackClipboard.h"
#include "audio/TrackDeleteEdit.h"
#include "audio/WaveAddEdit.h"
#include "audio/WaveRemoveEdit.h"

#include <QContextMenuEvent>
#include <QMenu>

#include <algorithm>
#include <optional>

namespace {

const QString kDeleteName = QStringLiteral("删除音频");
const QString kCutName = QStringLiteral("音频剪切");
const QString kTrimName = QStringLiteral("修剪音频");
const QString kPasteName = QStringLiteral("音频粘贴");

uint32_t ClampMs(int64_t ms)
{
    return static_cast<uint32_t>(std::clamp<int64_t>(ms, 0, UINT32_MAX));
}

// The clips of every track that overlap a range, in track and clip order,
// taken before any of them is changed.
std::vector<CWaveDoc*> ClipsOverlapping(const std::vector<std::unique_ptr<CAudioTrack>>& tracks,
                                        uint32_t start, uint32_t end)
{
    std::vector<CWaveDoc*> clips;
    for (const auto& track : tracks) {
        for (int i = 0; i < track->GetClipCount(); ++i) {
            CWaveDoc* clip = track->GetClip(i);
            if (clip->Overlaps(start, end))
                clips.push_back(clip);
        }
    }
    return clips;
}

// A timeline range as times relative to a clip's start, cut to the clip.
struct ClipRange
{
    int64_t from;
    int64_t to;
};

// None when the clip cannot be edited (being recorded, not in a track) or the
// range misses it.
std::optional<ClipRange> RangeInClip(uint32_t startMs, uint32_t endMs, const CWaveDoc* clip)
{
    if (!clip || clip->IsRecording() || !clip->GetOwnerTrack())
        return std::nullopt;
    const int64_t duration = clip->GetDuration();
    const int64_t from = int64_t{startMs} - clip->GetStart();
    const int64_t to = int64_t{endMs} - clip->GetStart();
    if (to < 1 || from > duration)
        return std::nullopt;
    return ClipRange{std::max<int64_t>(from, 0), std::min(to, duration)};
}

} // namespace

void CWaveCtrl::SetEditContext(EditHistory* history, CTrackClipboard* clipboard)
{
    m_history = history;
    m_clipboard = clipboard;
}

void CWaveCtrl::AddRecord(std::unique_ptr<CEditRecord> record)
{
    if (m_history && record)
        m_history->Add(std::move(record));
}

void CWaveCtrl::AfterEdit()
{
    RebuildPlayList();
    Invalidate();
    emit contentChanged();
}

std::unique_ptr<CEditRecord> CWaveCtrl::RemoveWholeClip(CWaveDoc* clip)
{
    CAudioTrack* track = clip->GetOwnerTrack();
    std::unique_ptr<CWaveDoc> removed = track ? track->RemoveClip(clip) : nullptr;
    if (!removed)
        return nullptr;
    auto record = std::make_unique<CWaveRemoveEdit>(std::move(removed));
    record->SetOwner(this);
    return record;
}

std::unique_ptr<CEditRecord> CWaveCtrl::PlaceCopy(std::unique_ptr<CWaveDoc> copy,
                                                  CAudioTrack* track, int index,
                                                  uint32_t startMs)
{
    CWaveDoc* raw = copy.get();
    raw->SetIndex(index);
    raw->SetStart(startMs);
    track->AddClip(std::move(copy));
    auto record = std::make_unique<CWaveAddEdit>(raw);
    record->SetOwner(this);
    return record;
}

std::unique_ptr<CEditRecord> CWaveCtrl::CutRangeFromClip(uint32_t startMs, uint32_t endMs,
                                                         CWaveDoc* clip)
{
    const std::optional<ClipRange> range = RangeInClip(startMs, endMs, clip);
    if (!range)
        return nullptr;
    const int64_t duration = clip->GetDuration();
    const int64_t a = range->from;
    const int64_t b = range->to;
    if (a == 0 && b == duration)
        return RemoveWholeClip(clip);

    // Make the pieces before touching the track, so a failed copy (a full
    // disk) leaves the clip as it was.
    std::unique_ptr<CWaveDoc> tail, head;
    if (b < duration && !(tail = clip->CopyRange(static_cast<uint32_t>(b),
                                                 static_cast<uint32_t>(duration))))
        return nullptr;
    if (a > 0 && !(head = clip->CopyRange(0, static_cast<uint32_t>(a))))
        return nullptr;

    // The tail goes in first at the clip's index, so the head ends up before it.
    const uint32_t clipStart = clip->GetStart();
    std::vector<Piece> pieces;
    if (tail)
        pieces.push_back({std::move(tail), ClampMs(clipStart + b)});
    if (head)
        pieces.push_back({std::move(head), clipStart});
    return ReplaceClip(clip, std::move(pieces));
}

std::unique_ptr<CEditRecord> CWaveCtrl::ReplaceClip(CWaveDoc* clip, std::vector<Piece> pieces)
{
    CAudioTrack* track = clip->GetOwnerTrack();
    const int index = clip->GetIndex();
    auto comb = std::make_unique<CCombEdit>();
    comb->SetOwner(this);
    comb->AddEdit(RemoveWholeClip(clip));
    for (Piece& piece : pieces)
        comb->AddEdit(PlaceCopy(std::move(piece.clip), track, index, piece.startMs));
    return comb;
}

std::unique_ptr<CEditRecord> CWaveCtrl::TrimClip(uint32_t startMs, uint32_t endMs,
                                                 CWaveDoc* clip)
{
    const std::optional<ClipRange> range = RangeInClip(startMs, endMs, clip);
    if (!range)
        return nullptr;
    const int64_t duration = clip->GetDuration();
    const int64_t a = range->from;
    const int64_t b = range->to;
    if (a == 0 && b == duration)
        return nullptr;
    std::unique_ptr<CWaveDoc> kept =
        clip->CopyRange(static_cast<uint32_t>(a), static_cast<uint32_t>(b));
    if (!kept)
        return nullptr;
    std::vector<Piece> pieces;
    pieces.push_back({std::move(kept), ClampMs(clip->GetStart() + a)});
    return ReplaceClip(clip, std::move(pieces));
}

void CWaveCtrl::DeleteSelection(bool asCut)
{
    if (IsBusy())
        return;
    if (!HasSelection()) {
        CWaveDoc* clip = GetSelectedClip();
        if (!clip || clip->IsRecording())
            return;
        AddRecord(RemoveWholeClip(clip));
        AfterEdit();
        return;
    }
    auto comb = std::make_unique<CCombEdit>();
    comb->SetName(asCut ? kCutName : kDeleteName);
    comb->SetOwner(this);
    for (CWaveDoc* clip : ClipsOverlapping(m_tracks, m_selStart, m_selEnd))
        comb->AddEdit(CutRangeFromClip(m_selStart, m_selEnd, clip));
    if (comb->GetCount() == 0)
        return;
    AddRecord(std::move(comb));
    AfterEdit();
}

void CWaveCtrl::CutSelection()
{
    if (IsBusy())
        return;
    CopySelection();
    DeleteSelection(true);
}

void CWaveCtrl::TrimSelection()
{
    if (IsBusy() || !HasSelection())
        return;
    auto comb = std::make_unique<CCombEdit>();
    comb->SetName(kTrimName);
    comb->SetOwner(this);
    for (CWaveDoc* clip : ClipsOverlapping(m_tracks, m_selStart, m_selEnd)) {
        if (!clip->IsRecording())
            comb->AddEdit(TrimClip(m_selStart, m_selEnd, clip));
    }
    if (comb->GetCount() == 0)
        return;
    AddRecord(std::move(comb));
    AfterEdit();
}

void CWaveCtrl::CopyClipToClipboard(const CWaveDoc* clip, bool inSelection)
{
    std::unique_ptr<CWaveDoc> copy;
    if (inSelection) {
        const int64_t start = clip->GetStart();
        const int64_t from = std::max<int64_t>(0, int64_t{m_selStart} - start);
        const int64_t to = std::min<int64_t>(clip->GetDuration(), int64_t{m_selEnd} - start);
        if (from >= to)
            return;
        copy = clip->CopyRange(static_cast<uint32_t>(from), static_cast<uint32_t>(to));
        if (copy)
            copy->SetStart(ClampMs(start - m_selStart));
    } else {
        copy = clip->Clone();
    }
    if (!copy)
        return;
    auto track = std::make_unique<CAudioTrack>();
    track->SetIndex(clip->GetOwnerTrack() ? clip->GetOwnerTrack()->GetIndex() : 0);
    track->AddClip(std::move(copy));
    m_clipboard->Add(std::move(track));
}

void CWaveCtrl::CopySelection()
{
    if (!m_clipboard)
        return;
    if (!HasSelection()) {
        CWaveDoc* clip = GetSelectedClip();
        if (!clip || clip->IsRecording())
            return;
        m_clipboard->RemoveAll();
        CopyClipToClipboard(clip, false);
        return;
    }
    bool emptied = false;
    for (CWaveDoc* clip : ClipsOverlapping(m_tracks, m_selStart, m_selEnd)) {
        if (clip->IsRecording())
            continue;
        if (!emptied) {
            m_clipboard->RemoveAll();
            emptied = true;
        }
        CopyClipToClipboard(clip, true);
    }
}

void CWaveCtrl::Paste()
{
    if (IsBusy() || !m_clipboard || !m_clipboard->HasTracks())
        return;
    auto comb = std::make_unique<CCombEdit>();
    comb->SetOwner(this);
    const auto addTrack = [&] {
        CAudioTrack* track = AddNewTrack();
        auto record = std::make_unique<CTrackAddEdit>(track);
        record->SetOwner(this);
        comb->AddEdit(std::move(record));
        return track;
    };

    CAudioTrack* target = GetSelectedTrack();
    if (!target)
        target = addTrack();
    for (int i = 0; i < m_clipboard->GetCount(); ++i) {
        const CAudioTrack* source = m_clipboard->GetAt(i);
        if (i > 0) {
            const int step = source->GetIndex() - m_clipboard->GetAt(i - 1)->GetIndex();
            const int index = target->GetIndex() + step;
            target = (index >= 0 && index < GetTrackCount()) ? GetTrack(index) : addTrack();
        }
        for (int c = 0; c < source->GetClipCount(); ++c) {
            const CWaveDoc* clip = source->GetClip(c);
            std::unique_ptr<CWaveDoc> copy = clip->Clone();
            if (!copy)
                continue;
            comb->AddEdit(PlaceCopy(std::move(copy), target, -1,
                                    ClampMs(int64_t{clip->GetStart()} + m_editCursor)));
        }
    }
    if (comb->GetCount() == 0)
        return;
    comb->SetName(kPasteName);
    AddRecord(std::move(comb));
    AfterEdit();
}

CWaveDoc* CWaveCtrl::GetSelectedClip() const
{
    for (const auto& track : m_tracks) {
        if (CWaveDoc* clip = track->GetSelectedClip())
            return clip;
    }
    return nullptr;
}

bool CWaveCtrl::CanCopy() const
{
    if (!HasSelection())
        return GetSelectedClip() != nullptr;
    return std::any_of(m_tracks.begin(), m_tracks.end(), [this](const auto& track) {
        return track->HasClipInRange(m_selStart, m_selEnd);
    });
}

bool CWaveCtrl::SelectionHasAudio() const
{
    return HasSelection() && CanCopy();
}

int CWaveCtrl::GetClipCount() const
{
    int count = 0;
    for (const auto& track : m_tracks)
        count += track->GetClipCount();
    return count;
}

uint32_t CWaveCtrl::MenuTime() const
{
    return ClampMs(int64_t{m_menuPosition} * MsPerTick(m_zoomLevel) /
                   PixelsPerTick(m_zoomLevel));
}

bool CWaveCtrl::ContextInsideSelection() const
{
    const uint32_t t = MenuTime();
    return m_selStart < t && t < m_selEnd;
}

void CWaveCtrl::OnCopyClip()
{
    if (!m_contextClip || m_contextClip->IsRecording() || !m_clipboard)
        return;
    m_clipboard->RemoveAll();
    CopyClipToClipboard(m_contextClip, ContextInsideSelection());
}

void CWaveCtrl::DeleteClip(bool asCut)
{
    if (IsBusy() || !m_contextClip || m_contextClip->IsRecording())
        return;
    std::unique_ptr<CEditRecord> record =
        ContextInsideSelection() ? CutRangeFromClip(m_selStart, m_selEnd, m_contextClip)
                                 : RemoveWholeClip(m_contextClip);
    if (!record)
        return;
    record->SetName(asCut ? kCutName : kDeleteName);
    m_contextClip = nullptr;
    AddRecord(std::move(record));
    AfterEdit();
}

void CWaveCtrl::OnDeleteClip()
{
    DeleteClip(false);
}

void CWaveCtrl::OnCutClip()
{
    OnCopyClip();
    DeleteClip(true);
}

void CWaveCtrl::OnTrimClip()
{
    if (IsBusy() || !m_contextClip || !ContextInsideSelection())
        return;
    std::unique_ptr<CEditRecord> record = TrimClip(m_selStart, m_selEnd, m_contextClip);
    if (!record)
        return;
    record->SetName(kTrimName);
    m_contextClip = nullptr;
    AddRecord(std::move(record));
    AfterEdit();
}

void CWaveCtrl::OnInsertTrack()
{
    if (IsBusy())
        return;
    CAudioTrack* track = AddNewTrack();
    SelectTrack(track);
    auto record = std::make_unique<CTrackAddEdit>(track);
    record->SetOwner(this);
    AddRecord(std::move(record));
}

void CWaveCtrl::OnDeleteTrack()
{
    if (IsBusy() || !m_contextTrack)
        return;
    std::unique_ptr<CAudioTrack> removed = RemoveTrack(m_contextTrack);
    m_contextTrack = nullptr;
    m_contextClip = nullptr;
    if (!removed)
        return;
    auto record = std::make_unique<CTrackDeleteEdit>(std::move(removed));
    record->SetOwner(this);
    AddRecord(std::move(record));
}

std::unique_ptr<QMenu> CWaveCtrl::PrepareContextMenu(int x, int y)
{
    if (HitTest(x, y) != ZoneTracks)
        return nullptr;
    auto menu = std::make_unique<QMenu>(this);
    const bool clipboardEmpty = !m_clipboard || !m_clipboard->HasTracks();
    const auto item = [&](const QString& text, auto slot, bool enabled) {
        QAction* action = menu->addAction(text, this, slot);
        action->setEnabled(enabled);
        return action;
    };
    m_contextTrack = TrackFromPoint(x, y);
    m_contextClip = nullptr;
    if (m_contextTrack) {
        m_contextClip = m_contextTrack->ClipAt(XToMs(x));
        if (m_contextClip) {
            menu->setTitle(QStringLiteral("音频编辑"));
            item(QStringLiteral("剪切"), &CWaveCtrl::OnCutClip, !m_recording && !IsBusy());
            item(QStringLiteral("拷贝"), &CWaveCtrl::OnCopyClip, true);
            menu->addSeparator();
            item(QStringLiteral("删除"), &CWaveCtrl::OnDeleteClip, !m_recording && !IsBusy());
            item(QStringLiteral("修剪"), &CWaveCtrl::OnTrimClip,
                 !IsBusy() && m_contextClip->Overlaps(m_selStart, m_selEnd));
            m_menuPosition = x + m_scrollX;
            return menu;
        }
        menu->setTitle(QStringLiteral("音轨编辑"));
        item(QStringLiteral("粘贴"), &CWaveCtrl::Paste, !clipboardEmpty && !IsBusy());
        menu->addSeparator();
        item(QStringLiteral("打开音频到当前音轨"),
             &CWaveCtrl::OnOpenAudio, !IsBusy());
        item(QStringLiteral("打开音频到音轨当前位置"),
             &CWaveCtrl::OnOpenAudioAtPosition, !IsBusy());
        item(QStringLiteral("删除音轨"), &CWaveCtrl::OnDeleteTrack, !m_recording && !IsBusy());
        if (!IsBusy()) {
            m_menuPosition = x + m_scrollX;
            m_openTarget = m_contextTrack;
        }
        return menu;
    }
    menu->setTitle(QStringLiteral("音频编辑"));
    item(QStringLiteral("粘贴"), &CWaveCtrl::Paste, !clipboardEmpty && !IsBusy());
    menu->addSeparator();
    item(QStringLiteral("打开音频"), &CWaveCtrl::OnOpenAudio,
         !IsBusy());
    item(QStringLiteral("打开音频到当前位置"),
         &CWaveCtrl::OnOpenAudioAtPosition, !IsBusy());
    item(QStringLiteral("插入音轨"), &CWaveCtrl::OnInsertTrack, !IsBusy());
    if (!IsBusy()) {
        m_menuPosition = x + m_scrollX;
        m_openTarget = nullptr;
    }
    return menu;
}

void CWaveCtrl::contextMenuEvent(QContextMenuEvent* event)
{
    std::unique_ptr<QMenu> menu = PrepareContextMenu(event->pos().x(), event->pos().y());
    if (menu)
        menu->exec(event->globalPos());
    // The commands act right after the menu; later edits may free the clip.
    m_contextClip = nullptr;
}
