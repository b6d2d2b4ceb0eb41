#pragma once

#include "audio/IProgress.h"

#include <QDialog>
#include <QString>
#include <QTimer>

#include <mutex>

class QLabel;
class QProgressBar;

// The staged progress window of long operations (opening and converting audio,
// saving, building a ring): a text line and a bar that creeps forward by
// itself towards a ceiling the operation raises stage by stage, and that hides
// itself once the percent reaches 100. It has no caption bar and is shown
// modeless.
//
// Threads: the setters, stages and getters may be called from any thread (the
// open, save and ring workers drive the window while it runs); they only
// change a mutex-guarded state. Widgets are touched on the GUI thread only:
// OnTimer, called by the window's own timer every 100 ms while it is shown,
// copies the state into the text line and the bar.
class CProgressDialog : public QDialog, public IProgress
{
    Q_OBJECT
public:
    // Brevanta's window has the auto-advance switch and five stages. Kelvo's
    // always climbs, and its three stages set percent and ceiling together.
    enum class Edition { Brevanta, Kelvo };

    explicit CProgressDialog(QWidget* parent = nullptr, Edition edition = Edition::Brevanta);

    void SetPercent(int percent) override;
    // The highest percent the timer climbs to.
    void SetCeiling(int ceiling) override;
    // true (the default): the timer moves the percent up to the ceiling by 1
    // a tick; false: it only shows the percent the caller sets.
    void SetAutoAdvance(bool on);
    void SetText(const QString& text) override;
    void Show() override { show(); }

    void StageAnalyse() override;
    void StageConvert() override;
    void StageLoad() override;
    void StageSave() override;
    void StageMix() override;
    // percent + n, but at most 90.
    void Advance(int n) override;
    // Percent 100: the window hides at the next tick.
    void StageDone() override;

    int Percent() const;
    int Ceiling() const;
    bool AutoAdvance() const;
    QString Text() const;

    // GUI thread. One tick of the window's timer: shows the text, climbs one
    // percent towards the ceiling (auto-advance), shows the percent on the
    // bar, and at 100 stops the timer and hides the window.
    void OnTimer();
    bool IsTimerRunning() const { return m_timer.isActive(); }

protected:
    // Showing the window starts afresh: bar and percent 0, the timer running.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // ceiling < 0 leaves the ceiling as it is.
    void SetStage(const QString& text, int percent, int ceiling = -1);

    const Edition m_edition;

    mutable std::mutex m_mutex; // guards the four fields below
    QString m_text;
    int m_percent = 0;
    bool m_autoAdvance = true;
    int m_ceiling = 100;

    QLabel* m_label;
    QProgressBar* m_bar;
    QTimer m_timer;
};
