#pragma once

#include "audio/PlayerFactory.h"
#include "audio/WaveFormat.h"
#include "audio/WmaFormatList.h"
#include "platform/ColorRef.h"
#include "platform/TickClock.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinPlacement.h"
#include "voice/RingSnapshot.h"
#include "voice/SniffAudioFile.h"
#include "voice/VoiceCapture.h"
#include "voice/WaveData.h"

#include <QCursor>
#include <QFont>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class IAudioPlayer;
class ICaptureDevice;
class IMessageSink;
class IProgress;
class QPainter;

// Kelvo's editing window: one music track drawn as a waveform over the whole
// width, a selection, the edit and play cursors, and a strip at the bottom
// where the recorded voice is a block that can be dragged along the music.
// Everything is kept in client pixels and converted to ms and bytes of the
// music on demand. GUI thread, except the open worker (OpenFileAsync) and
// the ring export, whose threading is told at its functions below.
class CBrevanta : public QWidget, public CSkinCtrl
{
    Q_OBJECT
public:
    // Hit zones of a press, kept as the drag mode.
    enum Zone {
        kMoveSelection = 0, // handle band above the selection
        kRulerInSelection = 1,
        kWaveInSelection = 2,
        kStartEdge = 3,
        kEndEdge = 4,
        kVoiceBlock = 5,
        kNewSelection = 6,
    };

    using CaptureFactory = std::function<std::unique_ptr<ICaptureDevice>()>;

    // The content of a ring.
    enum RingContent { kRingMusic = 0, kRingVoice = 1, kRingMix = 2 };

    // progress and messages stay owned by the caller and outlive the window;
    // busy is the flag Kelvo's long jobs share (one at a time).
    CBrevanta(IProgress* progress, IMessageSink* messages, std::atomic<bool>* busy,
              QWidget* parent = nullptr, PlayerFactory players = DefaultPlayerFactory(),
              TickSource ticks = SteadyTicks());
    ~CBrevanta() override;

    // --- geometry (client pixels, ms of the music) ---
    int MsToX(int64_t ms) const;
    int XToMs(int64_t x) const;
    static uint32_t MsToBytes(int64_t ms, const WaveFormat& format);
    uint32_t XToBytes(int64_t x) const;
    int GetPlayX() const;
    int GetVoiceBlockWidth() const;
    // The part of the voice inside the selection, in bytes of the voice track
    // (never past its end); both 0 when none.
    void GetVoiceRange(uint32_t* offset, uint32_t* length) const;
    int HitTest(int x, int y) const;

    // --- accessors for the owner ---
    uint32_t GetMusicLength() const;
    uint32_t GetPlayPosition() const;
    bool IsMusicLoaded() const { return m_music.HasData(); }
    void SetSelectionStart(int x) { m_selStart = x; }
    void SetSelectionEnd(int x);
    int GetSelectionStart() const { return m_selStart; }
    int GetSelectionEnd() const { return m_selEnd; }
    void ClearSelection();
    void MoveCursorToStart();
    int GetEditCursor() const { return m_editCursor; }
    int GetBlinkPhase() const { return m_blinkPhase; }
    int GetDragMode() const { return m_dragMode; }
    bool IsSelectionMarked() const { return m_selectionMarked; }
    int GetVoiceBlockX() const { return m_voiceBlockX; }
    int GetPlayEnd() const { return m_playEnd; }
    // Off also ends the looping of a running loop: the music plays on past
    // the selection to its end.
    void SetLoopMode(bool on);
    const QString& GetSongTitle() const { return m_songTitle; }
    const QString& GetSongArtist() const { return m_songArtist; }
    const QString& GetMusicPath() const { return m_musicPath; }
    const WaveData& GetMusic() const { return m_music; }
    WaveData& GetVoice() { return m_voice; }
    const WaveFormat& GetRingFormat() const { return m_ringFormat; }
    const WaveFormat& GetRecordFormat() const { return m_recordFormat; }
    const QFont& GetTextFont() const { return m_font; }
    bool IsPlaying() const { return m_playing; }
    bool IsVoicePlaying() const { return m_voicePlaying; }
    bool IsLoopPlaying() const { return m_loopPlaying; }
    bool IsRecording() const { return m_recording; }
    void SetVoiceBlockX(int x) { m_voiceBlockX = x; }

    // --- playback and recording ---
    // The sound input recordings are taken from; the sound card by default.
    void SetCaptureFactory(CaptureFactory factory) { m_captureFactory = std::move(factory); }
    // Starts the timers and builds the list of ring file formats. Once, after
    // the owner has set the window up.
    void EnumWmaFormats();
    // Loops over the selection in loop mode (unless recording), else plays
    // from the edit cursor to the end. 1, or 0 without music.
    int Play();
    int PlayFromStart();
    // Stops and leaves the edit cursor at the paused time; 0 when not playing.
    int Pause();
    // Ends a recording and the playback.
    void Stop();
    // Records the voice from the edit cursor while the music plays, for at
    // most the rest of the music. 0 when less than one chunk of room is left,
    // the sound input refuses or nothing can play; the old voice then stays.
    // Refused (0) while a ring job runs.
    int StartRecord();
    // The captured whole chunks become the voice.
    void StopRecord();
    // false (the voice stays) while a ring job runs.
    bool DeleteRecording();
    // Hundredths of a decibel, as the players take them.
    void SetMusicVolume(int volume);
    void SetVoiceVolume(int volume);
    void MuteMusic(bool muted);
    void MuteVoice(bool muted);
    // The play timer's step (about every 10 ms): ends or restarts the played
    // range, lets the voice join and ends a recording whose block is full.
    void OnPlayTimer();
    // Bytes of one capture chunk (100 ms of the recording format).
    uint32_t GetRecordChunkBytes() const { return MsToBytes(100, m_recordFormat); }
    uint32_t GetRecordCapacity() const { return m_recordCapacity; }
    // Bytes captured into the record block so far.
    uint32_t GetRecordFill() const { return m_capture.GetFill(); }

    // --- ring export ---
    // A ring job runs from the accepted ring command on the GUI thread to the
    // end of its worker:
    //   GUI thread: BeginRingJob, then TakeRingSnapshot, then start the worker
    //     with the snapshot it now owns;
    //   worker: BuildRing(snapshot), ConvertToRingFormat, SaveWma, SaveVox
    //     and the progress setters, then EndRingJob as its last call on the
    //     editor (or the GUI thread ends it once told the worker is done).
    // The worker reads nothing of the editor that can change: the snapshot
    // holds the selection's bytes, and the ring format, the ring file format
    // list (built once by EnumWmaFormats) and the progress sink are fixed
    // before any job. While a job runs, the commands that would change the
    // tracks refuse: StartRecord, DeleteRecording, ClearMusic, SetMusic and
    // OpenFileAsync. The owner joins the worker before the editor goes.

    // GUI thread. Claims the long-job flag shared with the open; false (and
    // nothing claimed) while an open or another ring job runs.
    bool BeginRingJob();
    // Any thread: the job's end frees the flag again.
    void EndRingJob();
    bool IsRingJobRunning() const { return m_ringJob.load(); }
    // GUI thread: what a ring of this content (RingContent) needs, copied
    // from the tracks and the selection as they are now.
    RingSnapshot TakeRingSnapshot(int content) const;
    // Any thread; reads nothing but the snapshot, whose bytes it takes over.
    // A new track in a PCM format the ring file takes, or null (no such
    // content in the selection, no formats, a failure).
    static std::unique_ptr<WaveData> BuildRing(RingSnapshot snapshot);
    // GUI thread: the ring of the editor as it is now.
    std::unique_ptr<WaveData> BuildRing(int content) const;
    // Converts the track in place to 8000 Hz mono 16-bit; 1 when done or
    // nothing was to do, 0 when it failed (the track is unchanged).
    int ConvertToRingFormat(WaveData* track) const;
    // Write the track as a VOX or a ring file: 1 when the file is complete at
    // path, 0 on any failure (nothing is left at path then).
    int SaveVox(const QString& path, const WaveData* track) const;
    int SaveWma(const QString& path, const WaveData* track) const;
    const WaveFormatEx* FindWmaFormat(const WaveFormat& format) const;
    const WaveFormatEx* GetHighestWmaFormat() const;
    // Adds source onto destination from the byte offset on, saturating, as
    // far as both reach. 0 for sample sizes other than 8 and 16 bits.
    static int MixInto(WaveBuffer& destination, const WaveBuffer& source, const WaveFormat& format,
                       uint32_t offset);
    // The progress window: shown on the GUI thread, set from any thread.
    void ShowProgress();
    void SetProgressText(const QString& text);
    void SetProgressPos(int percent);
    void SetProgressTarget(int percent);
    void FinishProgress();

    // --- skin, music ---
    // Reads the "WaveEdit" section of the theme; 1.
    int LoadSkin(const QString& themePath);
    void RefreshSkin() override;
    // Starts loading a music file on a worker; nothing when another long job
    // runs. The result arrives as MUSIC_LOADED, or as a message.
    void OpenFileAsync(const QString& path);
    // Waits for a running open to finish and its result to be taken.
    void WaitForOpen();
    bool IsOpening() const { return m_worker.joinable(); }
    // Takes music read elsewhere, after ending the playback and a recording
    // (no player reads the old samples; the recording room was the old
    // music's). false for null and while a ring job runs: the music stays.
    bool SetMusic(std::unique_ptr<WaveData> music);
    // The music becomes six minutes of silence, playback and a recording
    // ended first; its path, title and artist become empty. false (the music
    // stays) while a ring job runs.
    bool ClearMusic();

    // Draws the music samples into the area; false without data.
    static bool DrawWave(QPainter& painter, const QRect& area, const WaveData& track, int xOffset,
                         const QColor& pen);

signals:
    void RECORD_STOPPED();
    void PLAY_TICK();
    void PLAY_STOPPED();
    void PLAY_POSITION();
    void MUSIC_LOADED();
    void SELECTION_CHANGED();
    void LOOP_RESTARTED();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct OpenResult;

    // ms of music since the playback started, from the tick source.
    int64_t Elapsed() const;
    int PlayMusic();
    int StartVoice();
    void OnPlayEnd();
    // Copies [from, to) of a track, held to its samples; null when empty.
    static std::unique_ptr<WaveBuffer> CopyRange(const WaveData& track, uint32_t from,
                                                 uint32_t to);

    // Total ms for the geometry: 0 without music or in a window of 2 px or less.
    int64_t Total() const;
    int ClampX(int x) const;
    void SelectionChanged();
    void SetCursorForZone(int zone);
    void OpenFileWorker(const QString& path);
    void TakeOpenResult(const std::shared_ptr<OpenResult>& result);

    void DrawBorder(QPainter& p) const;
    void DrawRuler(QPainter& p) const;
    void DrawRecorderStrip(QPainter& p) const;
    void DrawSelection(QPainter& p) const;
    void DrawPlayCursor(QPainter& p) const;
    void DrawEditCursor(QPainter& p) const;
    void DrawSelectionLength(QPainter& p) const;

    int m_selStart = 2;
    int m_selEnd = 41;
    int m_editCursor = 1;
    int m_anchor = 0;
    QString m_musicPath;
    QString m_songArtist;
    QString m_songTitle;
    std::unique_ptr<IAudioPlayer> m_musicPlayer;
    std::unique_ptr<IAudioPlayer> m_voicePlayer;
    WaveData m_music;
    WaveData m_voice;
    TickSource m_ticks;
    uint32_t m_playStartTick = 0;
    int m_playStartOffset = 0;
    uint32_t m_musicLength = 0;
    int m_playEnd = 0;
    const WaveFormat m_ringFormat = MakePcmFormat(1, 8000, 16);
    const WaveFormat m_recordFormat = MakePcmFormat(2, 22050, 16);
    std::unique_ptr<WaveBuffer> m_recordBlock;
    CaptureFactory m_captureFactory;
    CVoiceCapture m_capture;                         // fills the record block; outlives the device
    std::unique_ptr<ICaptureDevice> m_captureDevice; // open while recording
    uint32_t m_recordCapacity = 0;
    int m_voiceStart = 0;
    bool m_recording = false;
    bool m_voicePlaying = false;
    int m_voiceBlockX = 0;
    bool m_playing = false;
    bool m_loopPlaying = false;
    bool m_loopMode = false;
    IProgress* m_progress;
    IMessageSink* m_messages;
    std::atomic<bool>* m_busy;
    std::atomic<bool> m_ringJob{false}; // between BeginRingJob and EndRingJob
    bool m_selectionMarked = false;
    int m_dragMode = kNewSelection;
    int m_tickSpacing = 10;
    QFont m_font;

    ColorRef m_backColor;
    ColorRef m_rulerLineColor;
    ColorRef m_borderColor;
    ColorRef m_titleBarColor;
    ColorRef m_recorderBackColor = 0x7FA409;
    ColorRef m_recorderForeColor = 0xA3A3A3;
    ColorRef m_indicatorColor = 0x00FFFF;
    ColorRef m_indicatorSelectionColor = 0x800000;
    ColorRef m_selectionColor = 0xBEA18A;
    ColorRef m_selectionLineColor = 0x800000;
    ColorRef m_textColor = 0;
    int m_blinkPhase = 0;
    ColorRef m_blinkColors[2] = {0xFFFFFF, 0x000000};
    QCursor m_moveCursor{Qt::SizeAllCursor};
    QCursor m_edgeCursor{Qt::SizeHorCursor};
    CSkinPlacement m_placement;
    bool m_skinLoaded = false;

    CWmaFormatList m_wmaFormats;
    QTimer m_blinkTimer;
    QTimer m_playTimer;
    std::thread m_worker;
};
