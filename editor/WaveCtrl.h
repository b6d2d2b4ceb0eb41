#pragma once

#include "audio/AudioTrack.h"
#include "audio/ITimelineHost.h"
#include "audio/Mixdown.h"
#include "editor/ITrackHost.h"
#include "audio/WaveFormat.h"
#include "audio/WmaFormatList.h"
#include "platform/TickClock.h"

#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

class CEditRecord;
class CProgressDialog;
class IProgress;
struct SaveOptions;
class CTrackClipboard;
class CWaveRecorder;
class EditHistory;
class ICaptureDevice;
class IMessageSink;
class IPadView;
class QMenu;

// Brevanta's multi-track timeline: a 20-px marker band, a 30-px ruler and one
// 80-px row per track. It owns the tracks, keeps the selection, the edit
// cursor and the play cursor, plays the mix by starting each clip's player
// when the play clock reaches it, and tells the editor pane of every change
// through its signals (the pane connects them queued). Times are timeline ms,
// x positions client pixels. GUI thread only.
class CWaveCtrl : public QWidget, public ITimelineHost, public ITrackHost
{
    Q_OBJECT
public:
    static constexpr int kMarkerBandHeight = 20;
    static constexpr int kRulerBottom = 50;
    static constexpr int kTrackHeight = 80;
    static constexpr int kZoomLevels = 10;

    // Hit zones of the mouse.
    enum Zone {
        ZoneSelectionBand = 0,
        ZoneRuler = 1,
        ZoneTracks = 2,
        ZoneSelStart = 3,
        ZoneSelEnd = 4,
        ZoneNone = 6
    };

    using PadFactory = std::function<std::unique_ptr<ITrackPad>()>;
    using CaptureFactory = std::function<std::unique_ptr<ICaptureDevice>()>;

    // The working file a recording goes to, in the process's working folder.
    static const char* const kRecordFileName;

    explicit CWaveCtrl(QWidget* parent = nullptr);
    ~CWaveCtrl() override;

    // The time source of the play clock; tests pass a hand-driven one.
    void SetTickSource(TickSource ticks) { m_ticks = std::move(ticks); }
    // Makes the pad each new track carries.
    void SetPadFactory(PadFactory factory) { m_padFactory = std::move(factory); }
    void SetControlView(IPadView* view) { m_padView = view; }
    // Where edits are recorded and copies kept; both outlive the window.
    void SetEditContext(EditHistory* history, CTrackClipboard* clipboard);
    // Asks the user for a file to open; empty when cancelled. Tests pass their own.
    using FileChooser = std::function<QString(QWidget* parent)>;
    void SetFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    // Asks how to save (selection length and project length in ms); false when
    // cancelled. Tests pass their own.
    using SaveChooser = std::function<bool(QWidget* parent, uint32_t selectionMs,
                                           uint32_t projectMs, SaveOptions* options)>;
    void SetSaveChooser(SaveChooser chooser) { m_chooseSave = std::move(chooser); }
    // Makes the sound input each recording opens (the sound card's when unset).
    void SetCaptureFactory(CaptureFactory factory) { m_captureFactory = std::move(factory); }
    // Where messages for the user go (none: they are dropped); it must
    // outlive the window. Called on the GUI thread only.
    void SetMessageSink(IMessageSink* messages) { m_messages = messages; }
    // Starts the edit-cursor blink; the pane calls it once.
    void Initialize();

    // Zoom tables, by level 0..9.
    static int PixelsPerTick(int level);
    static int MsPerTick(int level);
    static int MsPerPixel(int level); // integer quotient of the two above
    // "hh:mm:ss:mmm" with at least two digits in the last (millisecond) field.
    static QString RulerLabel(uint32_t ms);

    int GetZoomLevel() const { return m_zoomLevel; }
    void SetZoomLevel(int level);
    int MsPerPixel() const { return MsPerPixel(m_zoomLevel); }
    void Zoom(bool finer);

    QRect GetMarkerBandRect() const;
    QRect GetRulerRect() const;
    QRect GetTrackAreaRect() const;
    CAudioTrack* TrackFromPoint(int x, int y) const;
    uint32_t GetProjectLength() const;
    int64_t GetContentWidth() const;
    int64_t GetContentHeight() const;
    // Client x of a timeline time, and the time under a client x.
    int64_t MsToX(uint32_t ms) const;
    int64_t XToMs(int64_t x) const;

    int GetScrollX() const { return m_scrollX; }
    void SetScrollX(int x); // also the scroll that playback returns to
    int GetScrollY() const { return m_scrollY; }
    void SetScrollY(int y);
    void SetFollow(bool follow) { m_follow = follow; }
    bool GetFollow() const { return m_follow; }
    bool GetLoopRun() const { return m_loopRun; }
    void SetLoopRun(bool run) { m_loopRun = run; }
    bool GetLoopOption() const { return m_loopOption; }
    void SetLoopOption(bool on) { m_loopOption = on; }

    uint32_t GetSelectionStart() const { return m_selStart; }
    uint32_t GetSelectionEnd() const { return m_selEnd; }
    bool HasSelection() const { return m_selStart != m_selEnd; }
    // Sets the selection (ordered, start <= end) without a notice.
    void SetSelection(uint32_t start, uint32_t end);
    bool IsSelectionShaded() const { return m_selectionShaded; }
    uint32_t GetEditCursor() const { return m_editCursor; }
    void SetEditCursor(uint32_t ms);
    void ClearSelection();
    void MoveCursorToStart();

    // Tracks.
    int GetTrackCount() const { return static_cast<int>(m_tracks.size()); }
    CAudioTrack* GetTrack(int index) const;
    // Inserts at the track's index (appends when it is past the end).
    void InsertTrack(std::unique_ptr<CAudioTrack> track) override;
    CAudioTrack* AddNewTrack();
    // Takes the track out (it is handed back, not deleted).
    std::unique_ptr<CAudioTrack> RemoveTrack(CAudioTrack* track) override;
    void RemoveAllTracks();
    void SelectTrack(CAudioTrack* track) override;
    CAudioTrack* GetSelectedTrack() const;
    void DeselectAllClips();
    bool HasAudio() const;

    // Playback.
    int RebuildPlayList() override;
    void AddToPlayList(CWaveDoc* clip);
    const std::vector<CWaveDoc*>& PlayList() const { return m_playList; }
    void StartPlayback();
    void Play();
    void PlayFromStart();
    void Pause();
    void StopPlayback() override;
    bool IsPlaying() const { return m_playing; }
    bool IsRecording() const { return m_recording; }
    // The current playback time: ticks since the start plus the start time.
    uint32_t PlaybackTime() const;
    // One tick of the play clock; the play timer calls it.
    void TickPlayClock();
    int GetPlayColumn() const { return m_playColumn; }
    // Stops what plays, then records into a new clip on a new last track at
    // the edit cursor while the other tracks play, with an undo step for the
    // track. 1 started; 0 when the sound input or the recording file cannot
    // be opened (nothing is added and nothing is said).
    int StartRecording();
    // Ends a running recording: the clip then holds the recorded file. When a
    // write failed the user is told. Nothing when nothing records.
    void StopRecording();
    void MuteTrack(CAudioTrack* track) override;
    void UnmuteTrack(CAudioTrack* track) override;
    void Refresh() override { Invalidate(); }

    // Editing. Each operation records one undo step (when it changed
    // something) and leaves clips being recorded alone.
    void DeleteSelection(bool asCut);
    void CutSelection();
    void CopySelection();
    void Paste();
    void TrimSelection();
    // Cuts [startMs, endMs) out of a clip, or keeps only that range (trim).
    // The step's record, or none when nothing changed.
    std::unique_ptr<CEditRecord> CutRangeFromClip(uint32_t startMs, uint32_t endMs,
                                                  CWaveDoc* clip);
    std::unique_ptr<CEditRecord> TrimClip(uint32_t startMs, uint32_t endMs, CWaveDoc* clip);
    CWaveDoc* GetSelectedClip() const;
    bool CanCopy() const;
    bool SelectionHasAudio() const;
    int GetClipCount() const;

    // Context menu commands, acting on the last right click.
    void OnCopyClip();
    void OnCutClip();
    void OnDeleteClip();
    void OnTrimClip();
    void OnInsertTrack();
    void OnDeleteTrack();
    // The menu a right click at a client point opens (none outside the tracks'
    // area). Remembers the context track, clip and menu position.
    std::unique_ptr<QMenu> PrepareContextMenu(int x, int y);

    // While a save worker reads the timeline, or an open started from the file
    // dialog runs, clips cannot be dragged and the commands that change tracks
    // or clips do nothing. Counts the jobs that hold it; busyChanged tells
    // each change of IsBusy().
    void SetBusy(bool busy);
    bool IsBusy() const { return m_busy > 0; }

    // Opening files. Each open runs on a worker; the clip lands on the open
    // target track (or a new one) when it is ready.
    void OnOpenAudio();
    void OnOpenAudioAtPosition();
    void BrowseAudioToNewTrack();
    void OpenAudioToNewTrack(const QString& path);
    void OpenAudioFile(const QString& path);
    // Saving: asks how (in the folder last saved to, else the home folder),
    // then mixes and writes on a worker. true when the worker started;
    // saveFinished follows.
    bool SaveAs();
    // The mixes the save and the ring services write (owned by the caller).
    std::unique_ptr<CWaveDoc> MixdownAll(IProgress* progress) const;
    std::unique_ptr<CWaveDoc> MixdownSelection(IProgress* progress) const;
    // Waits for every open and save worker to end.
    void WaitForWorkers();
    CProgressDialog* ProgressDialog() const { return m_progress; }
    // Where the workers report their stages instead of the progress window;
    // tests hold a worker at a stage with it. Must outlive the workers.
    void SetWorkerProgress(IProgress* progress) { m_workerProgress = progress; }
    CAudioTrack* GetOpenTargetTrack() const { return m_openTarget; }

    int HitTest(int x, int y) const;
    int GetGestureZone() const { return m_gestureZone; }

    // Ring services. GetSelectionLength, ShowProgress, TakeRingClips and the
    // MixdownForUpload of the live tracks run on the GUI thread; the rest may
    // run on the ring worker while the GUI thread paints and edits: they
    // touch no widget (the progress setters only change the progress
    // window's guarded state) and read no track.
    uint32_t GetSelectionLength() const { return m_selEnd - m_selStart; } // ms
    // Shows the progress window (or the worker progress, when one is set)
    // with ceiling 0 and no text; the setters below report to the same.
    void ShowProgress();
    void SetProgressText(const QString& text);
    void SetProgressLimit(int percent); // the ceiling the window climbs to
    void SetProgressPos(int percent);
    void CompleteProgress(); // 100 %: the window hides
    // What a ring mixes, taken at the ring command: the clips heard now,
    // sharing their samples.
    Mixdown::TakenClips TakeRingClips() const;
    // A selection (ms) of taken clips mixed and made mono at the rate of a
    // Windows Media format (owned by the caller); none without audio or
    // formats. Any thread.
    std::unique_ptr<CWaveDoc> MixdownForUpload(const Mixdown::TakenClips& clips, uint32_t selStart,
                                               uint32_t selEnd) const;
    // The same of the tracks as they are now.
    std::unique_ptr<CWaveDoc> MixdownForUpload(uint32_t selStart, uint32_t selEnd) const;
    // 1 when the clip was written completely to path; 0 otherwise, and then
    // nothing is left at path.
    int WriteVoxFile(const QString& path, const CWaveDoc* clip) const;
    int WriteWmaFile(const QString& path, const CWaveDoc* clip) const;
    // The Windows Media format with the clip's sample rate, or none.
    const WaveFormatEx* FindFormatByRate(const CWaveDoc* clip) const;
    const WaveFormatEx* GetHighestRateFormat() const;
    // Builds the Windows Media format list from what an encoder offers;
    // Initialize does it with the ring-file writer's own formats.
    void BuildWmaFormatList(const std::vector<WaveFormatEx>& offered);
    const CWmaFormatList& WmaFormats() const { return m_wmaFormats; }

signals:
    // A clip was placed: the horizontal range follows the content width.
    void clipAdded();
    // The content width changed: the horizontal range follows it.
    void contentChanged();
    // A track was inserted or removed: the vertical range follows the content
    // height and the pads re-resolve mute and solo.
    void trackInserted();
    void trackDeleted();
    // A clip moved during a drag: the horizontal range follows the content width.
    void clipMoved();
    // The play cursor reached the right edge while following: page right.
    void playPageEnd();
    // Playback stopped: the bar returns to the scroll, the clock shows the cursor.
    void playStopped();
    // The edit cursor moved: the clock shows it unless playing.
    void cursorMoved();
    // Recording stopped: the record button pops up.
    void recordingStopped();
    // A recording buffer was stored and the recording clip grew: the
    // horizontal range follows the content width. Emitted on the GUI thread.
    void recordBufferDone();
    // Playback started at startMs: the clock counts from there.
    void playStarted(uint32_t startMs);
    // The selection changed: the time fields are rewritten.
    void selectionChanged();
    // A save ended: saved tells whether the file was written.
    void saveFinished(bool saved);
    // IsBusy() changed: commands that change tracks or clips follow it.
    void busyChanged(bool busy);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    // Marks the drawn content (everything but the cursors) stale and repaints.
    void Invalidate();

private:
    void RenderBackground();
    void DrawRuler(QPainter& painter) const;
    void DrawSelection(QPainter& painter) const;
    void DrawTracks(QPainter& painter) const;
    void UpdateColumn(int64_t x);
    void OnBlinkTimer();
    void UpdateCursorShape(int zone);
    void Renumber();
    void AddRecord(std::unique_ptr<CEditRecord> record);
    // Removes a clip from its track into a removal record.
    std::unique_ptr<CEditRecord> RemoveWholeClip(CWaveDoc* clip);
    // A piece of a clip and where it starts on the timeline.
    struct Piece
    {
        std::unique_ptr<CWaveDoc> clip;
        uint32_t startMs;
    };
    // Takes the clip out and puts the pieces in its place (each at its index,
    // in order), as one composite record.
    std::unique_ptr<CEditRecord> ReplaceClip(CWaveDoc* clip, std::vector<Piece> pieces);
    // Places a copy in the clip's track at an index and start, with its record.
    std::unique_ptr<CEditRecord> PlaceCopy(std::unique_ptr<CWaveDoc> copy, CAudioTrack* track,
                                           int index, uint32_t startMs);
    // Copies one clip into a new clipboard track (the part inside the
    // selection when inSelection is set).
    void CopyClipToClipboard(const CWaveDoc* clip, bool inSelection);
    uint32_t MenuTime() const;
    bool ContextInsideSelection() const;
    void DeleteClip(bool asCut);
    void AfterEdit();
    void OnClipLoaded(std::unique_ptr<CWaveDoc> clip, uint64_t targetTrackId, bool heldBusy);
    void PlaceClip(std::unique_ptr<CWaveDoc> clip, uint64_t targetTrackId);
    void StartOpen(const QString& path, bool heldBusy);
    IProgress* WorkerProgress() const;
    void ShowMessages(const QStringList& messages);
    void StartWorker(std::function<void()> work);
    void ReapWorkers();
    std::vector<CAudioTrack*> TrackList() const;
    // Ends the recording: the recorder stops, then (when readClip) the clip
    // reads the file. true when a write failed.
    bool EndRecording(bool readClip);
    void ReportRecordWriteFailure();

    TickSource m_ticks = SteadyTicks();
    PadFactory m_padFactory;
    IPadView* m_padView = nullptr;

    int m_zoomLevel = 2;
    int m_scrollX = 0;
    int m_scrollY = 0;
    int m_scrollAtPlayStart = 0;
    uint32_t m_selStart = 0;
    uint32_t m_selEnd = 0;
    uint32_t m_editCursor = 0;
    int m_mouseAnchor = 0;
    bool m_buttonDown = false;
    int m_playColumn = 0;
    bool m_selectionShaded = false;
    int m_gestureZone = ZoneNone;
    int m_blinkPhase = 0;
    bool m_playCursorShown = false;
    bool m_playing = false;
    bool m_recording = false;
    uint32_t m_playStartTick = 0;
    uint32_t m_playStartMs = 0;
    bool m_follow = false;
    bool m_loopRun = false;
    bool m_loopOption = false;

    std::vector<std::unique_ptr<CAudioTrack>> m_tracks;
    std::vector<CWaveDoc*> m_playList; // latest start first; not owning
    CWaveDoc* m_draggedClip = nullptr;
    uint32_t m_draggedClipStart = 0;
    CWaveDoc* m_recordingClip = nullptr;
    std::unique_ptr<CWaveRecorder> m_recorder; // while recording
    QString m_recordPath;
    // Counts recordings, so a late stop request of an ended one is ignored.
    uint32_t m_recordingSerial = 0;
    CaptureFactory m_captureFactory;
    IMessageSink* m_messages = nullptr;
    EditHistory* m_history = nullptr;
    CTrackClipboard* m_clipboard = nullptr;
    CAudioTrack* m_contextTrack = nullptr;
    CWaveDoc* m_contextClip = nullptr;
    CAudioTrack* m_openTarget = nullptr;
    int m_menuPosition = 0; // content x of the last right click
    std::atomic<int> m_busy{0};
    // Saves under way: they read the track list, so opened clips wait for
    // them in m_pendingClips.
    int m_saving = 0;
    struct PendingClip
    {
        std::unique_ptr<CWaveDoc> clip;
        uint64_t targetTrackId;
    };
    std::vector<PendingClip> m_pendingClips;
    FileChooser m_chooseFile;
    SaveChooser m_chooseSave;
    CProgressDialog* m_progress = nullptr;
    IProgress* m_workerProgress = nullptr;
    // Where the last save wrote its file; empty before the first.
    QString m_saveFolder;
    // An open or save job; joined once done, and all of them before the window goes.
    struct Worker
    {
        std::thread thread;
        std::atomic<bool> done{false};
    };
    std::vector<std::unique_ptr<Worker>> m_workers;

    CWmaFormatList m_wmaFormats;

    QTimer m_blinkTimer;
    QTimer m_playTimer;
    QPixmap m_background;
    bool m_backgroundValid = false;
};
