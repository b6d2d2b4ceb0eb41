#pragma once

#include "platform/ColorRef.h"
#include "platform/TickClock.h"
#include "skin/MyBitmap.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinPlacement.h"

#include <QString>
#include <QWidget>

#include <cstdint>

class QTimer;

// Kelvo's play clock: "mm:ss" drawn with the cells of the theme's digit strip
// (twelve equal cells: 0 to 9, then the colon), centred, or as plain text
// without a strip. While counting it advances from a start time by the ticks
// elapsed since Start, and repaints only when the text changes. Nothing is
// painted around the digits, so the dialog shows through. Brevanta has a clock
// of the same name in editor/; no program links both. GUI thread.
class CTimerShow : public QWidget, public CSkinCtrl
{
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 50;
    static constexpr int kCells = 12;

    explicit CTimerShow(QWidget* parent = nullptr, TickSource ticks = SteadyTicks());
    ~CTimerShow() override;

    // Shows ms and repaints.
    void SetTime(uint32_t ms);
    uint32_t GetTime() const { return m_shownMs; }
    // Counts on from ms.
    void Start(uint32_t ms);
    // Stops counting; the shown time stays.
    void Stop();
    bool IsRunning() const { return m_running; }
    bool IsTimerOn() const;

    // Reads "ClockDigitalNumber": without a loadable "NumberImage" returns 0
    // and reads nothing more.
    int LoadSkin(const QString& themePath);
    void RefreshSkin() override;

    // The timer's work; tests call it after moving their clock.
    void OnTimer();

    // "%02d:%02d" of whole minutes (not limited to two digits) and seconds.
    static QString FormatTime(uint32_t ms);
    // The strip cell of a character: its digit, 10 for anything else.
    static int CellOf(QChar c);
    // The text the last paint showed.
    const QString& GetText() const { return m_text; }
    bool IsSkinLoaded() const { return m_skinLoaded; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TickSource m_ticks;
    QTimer* m_timer;
    uint32_t m_shownMs = 0;
    uint32_t m_startTick = 0;
    uint32_t m_baseMs = 0;
    bool m_running = false;
    bool m_skinLoaded = false;
    CMyBitmap m_digits;
    int m_digitHeight = 0;
    int m_cellWidth = 0;
    bool m_transparent = false;
    ColorRef m_transColor = 0xFF00FF;
    CSkinPlacement m_placement;
    QString m_text = QStringLiteral("00:00");
};
