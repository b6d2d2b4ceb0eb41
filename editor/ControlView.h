#pragma once

#include "editor/IPadView.h"

#include <QWidget>

#include <cstdint>

class CAudioTrack;
class CControlPadContainer;
class CTimerShow;
class CWaveInfoShow;
class ITrackHost;

// The left pane beside the timeline: the play clock (top 50 px), the track
// pads, and the information panel (bottom 47 px). The timeline and the editor
// pane drive it through these forwarders. GUI thread only.
class CControlView : public QWidget, public IPadView
{
    Q_OBJECT
public:
    static constexpr int kClockHeight = 50; // px
    static constexpr int kInfoHeight = 47;  // px

    explicit CControlView(QWidget* parent = nullptr);

    int AddPad(CAudioTrack* track) override;
    void RemovePad(CAudioTrack* track) override;
    void RemoveAllPads() override;
    void RefreshPads() override;
    void SetWaveCtrl(ITrackHost* host);
    // offset: px of the timeline scrolled off the top.
    void ScrollPads(int offset);
    void ResolveMuteSolo();
    void ShowTime(uint32_t ms);
    void StartTimeClock(uint32_t ms);
    void StopTimeClock();

    CControlPadContainer* PadContainer() const { return m_container; }
    CTimerShow* Clock() const { return m_clock; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    CTimerShow* m_clock;
    ITrackHost* m_host = nullptr;
    CControlPadContainer* m_container;
    CWaveInfoShow* m_info;
    int m_padOffset = 0;
};
