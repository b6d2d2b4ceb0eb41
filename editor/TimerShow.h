#pragma once

#include "editor/Paint3d.h"

#include <QFont>
#include <QWidget>

#include <cstdint>
#include <functional>

class QTimer;

// The play clock above the track pads: shows a time as "hh:mm:ss:cc" and,
// while counting, advances it from a start time by the time elapsed since
// Start, refreshed about every 10 ms. GUI thread only.
class CTimerShow : public QWidget
{
    Q_OBJECT
public:
    // Milliseconds from a steady clock; tests pass their own.
    using Clock = std::function<int64_t()>;

    explicit CTimerShow(QWidget* parent = nullptr, Clock clock = {});

    // Shows ms and repaints; a counting clock overwrites it at its next tick.
    void SetTime(uint32_t ms);
    uint32_t GetTime() const { return m_shownMs; }
    // Counts on from ms.
    void Start(uint32_t ms);
    // Stops counting; the last time stays shown.
    void Stop();
    bool IsCounting() const { return m_counting; }
    bool IsTimerRunning() const;

    // Hours, minutes, seconds and hundredths, two digits each (hours may need more).
    static QString FormatTime(uint32_t ms);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void OnTimer();

    const Clock m_clock;
    const SystemColors m_colors;
    QFont m_font;
    QTimer* m_timer;
    uint32_t m_shownMs = 0;
    int64_t m_startTick = 0; // m_clock() at Start
    uint32_t m_baseMs = 0;
    bool m_counting = false;
};
