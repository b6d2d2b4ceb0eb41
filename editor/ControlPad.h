#pragma once

#include "audio/ITrackPad.h"
#include "editor/Paint3d.h"

#include <QWidget>

class CAudioTrack;
class CPadToolbar;
class CWaveLogo;
class ITrackHost;
class QSlider;

// The control pad of one track: its number label, mute and solo buttons, a
// volume slider (0..100) and a balance slider (-10..10, no effect). The track
// owns the pad; the pad container only shows it. Mute and solo exclude each
// other on one pad; which tracks actually sound is the container's decision.
// A left click on the pad's own surface or label makes its track current.
// Its controls take no keyboard focus, so keys go to the timeline.
// GUI thread only.
class CControlPad : public QWidget, public ITrackPad
{
    Q_OBJECT
public:
    explicit CControlPad(QWidget* parent = nullptr);

    // Then RefreshLogo(true).
    void SetTrack(CAudioTrack* track) override;
    CAudioTrack* GetTrack() const { return m_track; }
    // The label shows the track's number (index + 1) and whether it is current.
    void RefreshLogo(bool repaint) override;
    void SetWaveCtrl(ITrackHost* host) { m_host = host; }

    bool IsMuted() const { return m_mute; }
    bool IsSolo() const { return m_solo; }
    int GetVolume() const { return m_volume; } // slider position 0..100

    // Hundredths of a decibel for a volume slider position: 0 -> -5000, 100 -> 0.
    static int VolumeFromSlider(int position) { return position * 50 - 5000; }

signals:
    // Posted (queued) to the container after the user changed a button.
    // Stand for WM_PAD_SOLOCHANGED and WM_PAD_MUTECHANGED.
    void soloChanged(CControlPad* pad, bool solo);
    void muteChanged(CControlPad* pad, bool mute);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void OnMuteClicked(bool down);
    void OnSoloClicked(bool down);
    void OnVolumeChanged(int position);

    const SystemColors m_colors;
    CAudioTrack* m_track = nullptr;
    ITrackHost* m_host = nullptr;
    CPadToolbar* m_toolbar;
    CWaveLogo* m_logo;
    QSlider* m_volumeSlider;
    QSlider* m_balanceSlider;
    bool m_mute = false;
    bool m_solo = false;
    int m_volume = 100;
};
