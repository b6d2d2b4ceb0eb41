#include "editor/ControlPadContainer.h"

#include "audio/AudioTrack.h"
#include "editor/ControlPad.h"
#include "editor/ITrackHost.h"

#include <algorithm>

CControlPadContainer::CControlPadContainer(QWidget* parent) : QWidget(parent)
{
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
}

CControlPadContainer::~CControlPadContainer()
{
    // Before QWidget deletes its children: the pads are not ours to delete.
    RemoveAllPads();
}

int CControlPadContainer::AddPad(CAudioTrack* track)
{
    if (!track)
        return 0;
    auto* pad = dynamic_cast<CControlPad*>(track->GetControlPad());
    if (!pad)
        return 0;
    DropDeletedPads();
    if (!m_pads.contains(pad)) {
        m_pads.append(pad);
        pad->setParent(this);
        connect(pad, &CControlPad::soloChanged, this, &CControlPadContainer::ResolveMuteSolo);
        connect(pad, &CControlPad::muteChanged, this, &CControlPadContainer::ResolveMuteSolo);
    }
    pad->setGeometry(0, track->GetIndex() * kRowHeight - m_offset, width(), kRowHeight);
    pad->show();
    RefreshPads();
    if (m_pads.size() != track->GetIndex() + 1)
        LayoutPads();
    return 1;
}

void CControlPadContainer::RemovePad(CAudioTrack* track)
{
    DropDeletedPads();
    auto it = std::find_if(m_pads.begin(), m_pads.end(),
                           [track](const auto& pad) { return pad->GetTrack() == track; });
    if (it != m_pads.end()) {
        Release(*it);
        m_pads.erase(it);
    }
    RefreshPads();
    LayoutPads();
}

void CControlPadContainer::RemoveAllPads()
{
    for (const auto& pad : m_pads) {
        if (pad)
            Release(pad);
    }
    m_pads.clear();
}

void CControlPadContainer::Release(CControlPad* pad)
{
    disconnect(pad, nullptr, this, nullptr);
    pad->hide();
    pad->setParent(nullptr);
}

void CControlPadContainer::DropDeletedPads()
{
    m_pads.removeIf([](const auto& pad) { return pad.isNull(); });
}

void CControlPadContainer::RefreshPads()
{
    for (const auto& pad : m_pads) {
        if (pad)
            pad->RefreshLogo(true);
    }
}

void CControlPadContainer::LayoutPads()
{
    for (const auto& pad : m_pads) {
        if (!pad || !pad->GetTrack())
            continue;
        pad->setGeometry(0, pad->GetTrack()->GetIndex() * kRowHeight - m_offset, width(),
                         kRowHeight);
        pad->update();
    }
}

void CControlPadContainer::ScrollTo(int offset)
{
    m_offset = offset;
    LayoutPads();
}

void CControlPadContainer::ResolveMuteSolo()
{
    DropDeletedPads();
    if (!m_host)
        return;
    const bool anySolo =
        std::any_of(m_pads.begin(), m_pads.end(), [](const auto& pad) { return pad->IsSolo(); });
    for (const auto& pad : m_pads) {
        CAudioTrack* track = pad->GetTrack();
        if (!track)
            continue;
        const bool silent = anySolo ? !pad->IsSolo() : pad->IsMuted();
        if (silent)
            m_host->MuteTrack(track);
        else
            m_host->UnmuteTrack(track);
    }
}

QList<CControlPad*> CControlPadContainer::Pads() const
{
    QList<CControlPad*> pads;
    for (const auto& pad : m_pads) {
        if (pad)
            pads.append(pad);
    }
    return pads;
}

void CControlPadContainer::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayoutPads();
}
