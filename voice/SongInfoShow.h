#pragma once

#include "platform/ColorRef.h"
#include "platform/TickClock.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinPlacement.h"

#include <QFont>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <cstdint>

class QTimer;

// The song information panel of Kelvo's main dialog: the loaded song's file
// name, title, artist, album, length and format, one line at a time; each line
// rises from the bottom edge one pixel per 10 ms until it is vertically
// centred and stays until it has shown for 401 ticks of 10 ms, then the next
// one comes. Idle, it shows the program's name. Only the text is painted, so
// the dialog shows through. GUI thread.
class CSongInfoShow : public QWidget, public CSkinCtrl
{
    Q_OBJECT
public:
    static constexpr int kTickMs = 10;
    static constexpr int kTicksPerLine = 401;
    static constexpr int kFontHeight = 12;

    explicit CSongInfoShow(QWidget* parent = nullptr, TickSource ticks = SteadyTicks());
    ~CSongInfoShow() override;

    // Each text is trimmed; an empty one shows as "未知" after its label.
    void SetTitle(const QString& text);
    void SetArtist(const QString& text);
    void SetFileName(const QString& text);
    void SetFormat(const QString& text);
    void SetLength(const QString& text);
    // Title, artist and album back to unknown.
    void ClearTags();
    // Starts showing the lines from the file name line.
    void StartScroll();
    // Back to the idle text; title, artist and album become unknown, the file
    // name, format and length lines are kept.
    void Reset();

    // Reads "SongInfoShow" (placement and "TextColor"); 1.
    int LoadSkin(const QString& themePath);
    void RefreshSkin() override;

    // The timer's work; tests call it after moving their clock.
    void OnTimer();

    bool IsShowing() const { return m_showing; }
    bool IsTimerOn() const;
    const QStringList& GetLines() const { return m_lines; }
    int GetCurrentLine() const { return m_currentLine; }
    int GetTick() const { return m_tick; }
    // Top of the shown line in client pixels.
    int LineTop() const;
    ColorRef GetTextColor() const { return m_textColor; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int RiseLimit() const { return (kFontHeight + height()) / 2; }

    TickSource m_ticks;
    QTimer* m_timer;
    QString m_title;
    QString m_artist;
    QString m_fileName;
    QString m_format;
    QString m_length;
    QString m_album;
    QFont m_font;
    QStringList m_lines;
    bool m_showing = false;
    uint32_t m_startTick = 0;
    int m_tick = 0;
    int m_currentLine = 0;
    ColorRef m_textColor = 0xFFFFFF;
    CSkinPlacement m_placement;
};
