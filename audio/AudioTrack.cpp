#include "audio/AudioTrack.h"

#include "platform/ColorRef.h"

#include <QGuiApplication>
#include <QPalette>

#include <algorithm>
#include <atomic>

CAudioTrack::CAudioTrack(std::unique_ptr<ITrackPad> pad) : m_pad(std::move(pad))
{
    static std::atomic<uint64_t> s_nextId{1};
    m_id = s_nextId.fetch_add(1);
    if (m_pad)
        m_pad->SetTrack(this);
}

CAudioTrack::~CAudioTrack()
{
    // Clips stop their players before their stores go.
    m_clips.clear();
    m_pad.reset();
}

void CAudioTrack::AddClip(std::unique_ptr<CWaveDoc> clip)
{
    if (!clip)
        return;
    clip->SetOwnerTrack(this);
    const int count = GetClipCount();
    const int index = clip->GetIndex();
    if (index < 0) {
        clip->SetIndex(count);
        m_clips.push_back(std::move(clip));
    } else if (index < count) {
        m_clips.insert(m_clips.begin() + index, std::move(clip));
        Renumber();
    } else {
        m_clips.push_back(std::move(clip));
    }
}

std::unique_ptr<CWaveDoc> CAudioTrack::RemoveClip(CWaveDoc* clip)
{
    auto it = std::find_if(m_clips.begin(), m_clips.end(),
                           [clip](const auto& held) { return held.get() == clip; });
    if (it == m_clips.end())
        return nullptr;
    clip->StopPlayback();
    std::unique_ptr<CWaveDoc> taken = std::move(*it);
    m_clips.erase(it);
    Renumber();
    return taken;
}

void CAudioTrack::Renumber()
{
    for (size_t i = 0; i < m_clips.size(); ++i)
        m_clips[i]->SetIndex(static_cast<int>(i));
}

uint32_t CAudioTrack::GetLength() const
{
    uint64_t length = 0;
    for (const auto& clip : m_clips)
        length = std::max<uint64_t>(length, uint64_t{clip->GetStart()} + clip->GetDuration());
    return static_cast<uint32_t>(std::min<uint64_t>(length, UINT32_MAX));
}

CWaveDoc* CAudioTrack::ClipAt(int64_t ms) const
{
    for (const auto& clip : m_clips) {
        const int64_t start = clip->GetStart();
        if (start <= ms && ms <= start + clip->GetDuration())
            return clip.get();
    }
    return nullptr;
}

bool CAudioTrack::HasClipInRange(int64_t fromMs, int64_t toMs) const
{
    return std::any_of(m_clips.begin(), m_clips.end(),
                       [&](const auto& clip) { return clip->Overlaps(fromMs, toMs); });
}

CWaveDoc* CAudioTrack::GetSelectedClip() const
{
    for (const auto& clip : m_clips) {
        if (clip->IsSelected())
            return clip.get();
    }
    return nullptr;
}

void CAudioTrack::DeselectAll()
{
    for (const auto& clip : m_clips)
        clip->SetSelected(false);
}

void CAudioTrack::StopAll()
{
    for (const auto& clip : m_clips)
        clip->StopPlayback();
}

void CAudioTrack::SetMute(bool muted)
{
    m_muted = muted;
    for (const auto& clip : m_clips)
        clip->Mute(muted);
}

void CAudioTrack::SetVolume(int volume)
{
    for (const auto& clip : m_clips)
        clip->SetVolume(volume);
}

CWaveDoc* CAudioTrack::GetClip(int index) const
{
    if (index < 0 || index >= GetClipCount())
        return nullptr;
    return m_clips[static_cast<size_t>(index)].get();
}

int CAudioTrack::Draw(QPainter& painter, const QRect& row, int scrollX, int msPerPixel) const
{
    const QColor border = QGuiApplication::palette().color(QPalette::Dark);
    painter.save();
    painter.setPen(border);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(row.adjusted(0, 0, -1, -1));
    if (m_muted)
        painter.fillRect(row, border);
    painter.restore();

    const QRect inner = row.adjusted(0, 3, 0, -3);
    const ColorRef colour = m_current ? kCurrentColor : kNormalColor;
    for (const auto& clip : m_clips)
        clip->DrawWave(painter, inner, scrollX, msPerPixel, colour);
    return GetClipCount();
}
