#pragma once

#include "skin/MyBitmap.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinPlacement.h"

#include <QWidget>

#include <array>
#include <cstddef>
#include <cstdint>

class QTimer;
class WaveData;
struct WaveFormat;

// The small spectrum of Kelvo's main dialog: twelve 3-px bars with falling
// peak marks, from a 1024-point FFT of the music a little ahead of the played
// position, every 80 ms while the music plays. The highest frequencies are on
// the left. The window paints only its bars, so the dialog shows through
// around them. GUI thread; the played position it reads is written by the
// player's thread (a stale value only shifts the analysed block).
class CWaveShow : public QWidget, public CSkinCtrl
{
    Q_OBJECT
public:
    static constexpr int kBars = 12;
    static constexpr int kBins = 512;
    static constexpr int kFrames = 1024;
    static constexpr int kIntervalMs = 80;
    using Values = std::array<int, kBins>; // magnitudes 0..255; bin 0 unused
    using Bars = std::array<int, kBars>;   // pixels

    explicit CWaveShow(QWidget* parent = nullptr);
    ~CWaveShow() override;

    // The music track, not owned; it must outlive this window or be detached
    // (null) before it goes.
    void SetTrack(const WaveData* track) { m_track = track; }
    // Only with a track attached: starts following it.
    void Start();
    // Stops following; the last bars and peaks stay shown.
    void Stop();
    bool IsRunning() const { return m_running; }
    bool IsTimerOn() const;

    // Reads "WaveShow": without a loadable "PillarImage" returns 0 and reads
    // nothing else (the bars are then white and the window keeps its place).
    int LoadSkin(const QString& themePath);
    void RefreshSkin() override;

    // The timer's work: a new analysis when 4096 frames past the played
    // position are still inside the music, then the bars and peaks move on
    // and the window repaints. Tests call it directly.
    void OnTimer();

    // The magnitudes of 1024 frames of bytes (8- or 16-bit PCM, one or two
    // channels); false, values untouched, for other formats or fewer bytes.
    // Stereo takes the integer mean of the two channels' magnitudes.
    static bool AnalyseSpectrum(const uint8_t* samples, size_t bytes, const WaveFormat& format,
                                Values& values);
    // Bar heights for a client height; each at least 1 px.
    static Bars BarHeights(const Values& values, int clientHeight);

    bool HasValues() const { return m_hasValues; }
    const Values& GetValues() const { return m_values; }
    const Bars& GetBars() const { return m_bars; }
    const Bars& GetPeaks() const { return m_peaks; }
    bool IsSkinLoaded() const { return m_skinLoaded; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const WaveData* m_track = nullptr;
    QTimer* m_timer;
    bool m_running = false;
    bool m_hasValues = false;
    Values m_values{};
    Bars m_bars{};
    Bars m_peaks{};
    CMyBitmap m_pillar;
    bool m_skinLoaded = false;
    CSkinPlacement m_placement;
};
