#include "editor/ControlView.h"

#include "editor/ControlPadContainer.h"
#include "editor/TimerShow.h"
#include "editor/WaveInfoShow.h"

#include <algorithm>

CControlView::CControlView(QWidget* parent)
    : QWidget(parent), m_clock(new CTimerShow(this)), m_container(new CControlPadContainer(this)),
      m_info(new CWaveInfoShow(this))
{
    setFont(QFont(QStringLiteral("宋体"), 9));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
}

int CControlView::AddPad(CAudioTrack* track)
{
    return m_container->AddPad(track);
}

void CControlView::RemovePad(CAudioTrack* track)
{
    m_container->RemovePad(track);
}

void CControlView::RemoveAllPads()
{
    m_container->RemoveAllPads();
}

void CControlView::RefreshPads()
{
    m_container->RefreshPads();
}

void CControlView::SetWaveCtrl(ITrackHost* host)
{
    m_host = host;
    m_container->SetWaveCtrl(host);
}

void CControlView::ScrollPads(int offset)
{
    m_padOffset = offset;
    m_container->ScrollTo(offset);
}

void CControlView::ResolveMuteSolo()
{
    m_container->ResolveMuteSolo();
}

void CControlView::ShowTime(uint32_t ms)
{
    m_clock->SetTime(ms);
}

void CControlView::StartTimeClock(uint32_t ms)
{
    m_clock->Start(ms);
}

void CControlView::StopTimeClock()
{
    m_clock->Stop();
}

void CControlView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const QRect client = rect();
    m_clock->setGeometry(client.left(), client.top(), client.width(), kClockHeight);
    m_info->setGeometry(client.left(), client.bottom() + 1 - kInfoHeight, client.width(),
                        kInfoHeight);
    const int padsHeight = std::max(0, client.height() - kClockHeight - kInfoHeight);
    m_container->setGeometry(client.left(), client.top() + kClockHeight, client.width(),
                             padsHeight);
}
