#pragma once

#include "platform/ColorRef.h"
#include "platform/TickClock.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinPlacement.h"
#include "voice/LyricsParagraph.h"

#include <QFont>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

class QTimer;

// The one-line karaoke display of Kelvo's main dialog: the current lyric line
// in the active colour between the lines before and after it in the inactive
// colour, slid sideways so that the point of the current line matching the
// play time stays in the middle. Only the text is painted, so the dialog shows
// through. GUI thread.
class CLyricsShow : public QWidget, public CSkinCtrl
{
    Q_OBJECT
public:
    explicit CLyricsShow(QWidget* parent = nullptr, TickSource ticks = SteadyTicks());
    ~CLyricsShow() override;

    // Clears, then reads the LRC file (CLrcFile); the first line is current.
    // False when the file cannot be read (missing, empty, too long): the
    // display then shows that no lyrics are loaded.
    bool LoadLrc(const QString& path);
    // The paragraphs as read, widths measured here; for tests and LoadLrc.
    void SetParagraphs(std::vector<CLyricsParagraph> paragraphs);
    void Clear();
    // Follows the play from t ms; nothing without lyrics.
    void Start(int t);
    // Stops following and shows the line for t ms.
    void StopAt(int t);

    // Reads "LyricsShow" (placement, "InactiveColor", "ActiveColor"); 1.
    int LoadSkin(const QString& themePath);
    void RefreshSkin() override;

    // The timer's work: the play time from the clock, at most one line on,
    // a repaint. Tests call it after moving their clock.
    void OnTimer();

    const std::vector<CLyricsParagraph>& GetParagraphs() const { return m_paragraphs; }
    int GetCurrentLine() const { return m_currentLine; }
    int GetElapsed() const { return m_elapsed; }
    bool IsPlaying() const { return m_playing; }
    bool IsLoaded() const { return m_loaded; }
    bool IsTimerOn() const;
    const QString& GetPreviousText() const { return m_previousText; }
    const QString& GetCurrentText() const { return m_currentText; }
    const QString& GetNextText() const { return m_nextText; }
    int GetPreviousWidth() const { return m_previousWidth; }
    // Pixels of the current line already sung: 0 before its start, its width
    // at its end; 0 for a line without a known end (the last one).
    int Progress() const;
    ColorRef GetActiveColor() const { return m_activeColor; }
    ColorRef GetInactiveColor() const { return m_inactiveColor; }
    const QFont& GetTextFont() const { return m_font; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The last paragraph starting at or before t, searched from the end;
    // the current line when none does.
    int LineFor(int t) const;
    void LayoutLine();

    TickSource m_ticks;
    QTimer* m_timer;
    std::vector<CLyricsParagraph> m_paragraphs;
    int m_elapsed = 0;        // ms of the play shown
    uint32_t m_startTick = 0; // tick at play time 0
    QFont m_font;
    ColorRef m_activeColor = 0xFFFFFF;
    ColorRef m_inactiveColor = 0xFFB080;
    bool m_playing = false;
    bool m_loaded = false;
    QString m_previousText;
    QString m_currentText;
    QString m_nextText;
    int m_previousWidth = 0;
    int m_currentWidth = 0;
    int m_nextWidth = 0;
    int m_currentLine = 0;
    CSkinPlacement m_placement;
};
