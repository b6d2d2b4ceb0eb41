#pragma once

#include <QWidget>

#include <cstdint>

class CControlView;
class CHorizontalScrollBarEx;
class CMaskEdit;
class CVerticalScrollBarEx;
class CWaveCtrl;
class QAction;
class QToolBar;

// The editor pane: the timeline with its own scroll bars, the transport
// toolbar and the selection's start, end and length fields. It turns the
// timeline's notices into scroll ranges, clock updates and field texts, and
// the toolbar, bars and fields into timeline operations. GUI thread only.
class CEditorView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kStripHeight = 30; // px, toolbar and fields
    static constexpr int kBarThickness = 17;

    explicit CEditorView(QWidget* parent = nullptr);

    // Links the pads' pane and the timeline both ways.
    void SetControlView(CControlView* view);
    // Once: starts the timeline and masks the three fields.
    void InitEditor();

    CWaveCtrl* WaveCtrl() const { return m_waveCtrl; }
    CHorizontalScrollBarEx* HorizontalBar() const { return m_hBar; }
    CVerticalScrollBarEx* VerticalBar() const { return m_vBar; }
    CMaskEdit* StartField() const { return m_start; }
    CMaskEdit* EndField() const { return m_end; }
    CMaskEdit* LengthField() const { return m_length; }
    QToolBar* Toolbar() const { return m_toolbar; }
    QAction* RecordAction() const { return m_record; }
    QAction* LoopAction() const { return m_loop; }

    // "hh:mm:ss:cc" (hundredths in the last field), and back: parts split at
    // ":", each read as a number, missing parts counting 0.
    static QString FormatTime(uint32_t ms);
    static uint32_t ParseTime(const QString& text);

    // Enter in a field.
    void ApplyStartEdit();
    void ApplyEndEdit();
    void ApplyLengthEdit();

    // The recording stopped: the record button pops up.
    void OnRecordingStopped();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void CreateToolbar();
    void OnHScroll();
    void OnVScroll();
    void UpdateHorizontalRange();
    void OnTrackCountChanged();
    void OnPlayPageEnd();
    void OnPlayStopped();
    void OnCursorMoved();
    void OnPlayStarted(uint32_t startMs);
    void OnSelectionChanged();
    void OnZoom(bool finer);
    void OnRecord(bool checked);
    void OnLoop(bool checked);
    void OnGoToStart();

    CWaveCtrl* m_waveCtrl;
    CHorizontalScrollBarEx* m_hBar;
    CVerticalScrollBarEx* m_vBar;
    QToolBar* m_toolbar = nullptr;
    QAction* m_record = nullptr;
    QAction* m_loop = nullptr;
    CMaskEdit* m_start;
    CMaskEdit* m_end;
    CMaskEdit* m_length;
    CControlView* m_controlView = nullptr;
    bool m_initialised = false;
    // Set between a play-page notice and the scroll it causes, so that only
    // scrolls made by the user stop the view following the play cursor.
    bool m_autoPage = false;
};
