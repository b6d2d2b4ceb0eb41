#pragma once

#include "audio/PlayerFactory.h"
#include "platform/TickClock.h"
#include "publish/RingJob.h"
#include "simple/MessageQueue.h"
#include "voice/RingSnapshot.h"

#include <QDialog>
#include <QString>

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <thread>

class CAboutDlg;
class CBrevanta;
class CBrowserDlg;
class CColouredToolTip;
class CDeclareDialog;
class CHTTPDownloadTask;
class CListDownloadCtrl;
class CListMyRing;
class CListResourceCtrl;
class CLyricsShow;
class CProgressDialog;
class CRingPublisher;
class CServiceCall;
class CSimpleProgress;
class CSkinBmpButton;
class CSkinMaskEdit;
class CSongInfoShow;
class CTabCtrl;
class CTimerShow;
class CUpdateCheck;
class CWaveShow;
class IMessageSink;
class IProgress;
class IQuestionBox;
class IUrlOpener;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QSlider;
class QTimer;
class QTreeWidget;

// Kelvo's only main window, on the 720 x 520 client area of its neostyle
// theme: the editor with its spectrum, clock, song information and lyrics,
// the transport buttons, the selection's time fields, the volume sliders and
// a tab control holding the materials list, the ring library and the
// download list. It owns the web page dialog and the busy panel.
//
// Every way out (the skinned close button, Alt+F4, Escape, the program's end
// by a signal) runs one close routine: the volumes are saved, playback and
// recording stop and every worker is joined. A close the user asked for first
// asks when a recorded voice went into no saved or uploaded ring. GUI thread.
class CKelvoDlg : public QDialog
{
    Q_OBJECT
public:
    // What the dialog shows and asks through; all outlive it.
    struct Services
    {
        IMessageSink& messages;
        IQuestionBox& questions;
        IUrlOpener& urls;
        PlayerFactory players;
    };
    using AboutRunner = std::function<void(CAboutDlg& about)>;

    // Kelvo's own version, which the settings record as the installed one.
    static constexpr int kMajorVersion = 1;
    static constexpr int kSubVersion = 11;
    static constexpr int kSliderMin = -120;
    // Hundredths of a decibel per slider step.
    static constexpr int kVolumeStep = 50;

    explicit CKelvoDlg(const Services& services, QWidget* parent = nullptr);
    ~CKelvoDlg() override;

    // Skins the dialog, places and fills its controls and reads the settings;
    // once, before the first show.
    void OnInitDialog();
    // A second start asked for this window: restored when minimised, raised.
    void RestoreAndRaise();
    // Saves the volumes, stops playback and recording and joins the workers;
    // the dialog stays as it is. Runs once, whatever calls it.
    void CloseRoutine();
    // True when the user lets the dialog close now (asked only when a
    // recorded voice would be lost).
    bool QueryClose();
    // The current voice went into a saved or uploaded ring.
    void MarkVoiceKept() { m_voiceKept = true; }

    // Opens a music file in the editor (the displays stop first); a ring
    // file of the lists likewise, but not while a job runs.
    void LoadMusicFile(const QString& path);
    void LoadRingFile(const QString& path);
    // Fills the selection's start, end and length fields from the editor.
    void UpdateTimeEdits();
    // Shows the list of the current tab and hides the others.
    void OnTcnSelchangeTab();
    // The about box, as the system menu's item runs it.
    void OnAbout();
    void SetAboutRunner(AboutRunner runner) { m_runAbout = std::move(runner); }

    // The controls by their dialog identifiers; null for an unknown one.
    QWidget* Control(int id) const;
    CBrevanta* Editor() const { return m_editor; }
    CListResourceCtrl* Materials() const { return m_materials; }
    CListMyRing* RingLibrary() const { return m_ringLibrary; }
    QTreeWidget* DownloadList() const { return m_downloadList; }
    CTabCtrl* Tab() const { return m_tab; }
    CSongInfoShow* SongInfo() const { return m_songInfo; }
    CBrowserDlg* Browser() const { return m_browser; }
    CSimpleProgress* BusyPanel() const { return m_busyPanel; }
    QString ThemePath() const { return m_themePath; }
    // The flag Kelvo's long jobs share: opening a music file, the ring job.
    std::atomic<bool>& BusyFlag() { return m_busy; }
    bool IsClosed() const { return m_closed; }

    // --- commands and notices (KelvoDlgCommands.cpp) ---
    // Runs one of the dialog's secondary dialogs modally: true when it was
    // accepted. exec() unless a test passes its own.
    using DialogRunner = std::function<bool(QDialog& dialog)>;
    void SetDialogRunner(DialogRunner runner) { m_runDialog = std::move(runner); }
    bool RunDialog(QDialog& dialog);
    // Asks for a file to open with a file dialog filter ("name (*.a *.A);;...");
    // empty when cancelled. The desktop's open dialog unless a test passes its own.
    using FileChooser = std::function<QString(QWidget* parent, const QString& filter)>;
    void SetFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    // True once logged in; asks with the login dialog first when not yet.
    bool EnsureLoggedIn();
    bool IsLoggedIn() const { return m_loggedIn != 0; }
    const QString& LoginId() const { return m_loginId; }
    // Applies the time field holding the keyboard focus, as leaving it would:
    // every command runs it before it reads the fields or the selection.
    void ApplyFocusedEdit();
    void OnEnKillfocusStartTime();
    void OnEnKillfocusEndTime();
    void OnEnKillfocusLength();
    void OnRecord();
    void OnLoopPlay();
    void OnPlayFromStart();
    void OnPlayFromCursor();
    void OnPause();
    void OnStop();
    void OnGoToStart();
    void OnClearSelection();
    void OnLoadLyrics();
    void OnDeleteRecording();
    void OnClearMusic();
    void OnWebMaterials();
    void OnOpenMusic();
    void OnRingManagement();
    void OnPlaybackCheck();
    void OnOpenServiceSite();
    void OnOpenMusicPortal();
    void OnHelp();
    // A lyrics file for the music loaded now: read only when its name (no
    // folder, no extension) is the loaded music's.
    void OnLyricsFile(const QString& path);
    // The music the last MUSIC_LOADED notice reported (empty after clearing).
    const QString& LoadedMusicPath() const { return m_loadedMusicPath; }
    // The help page Kelvo ships, found as the themes are; a test may name
    // another.
    static QString HelpPagePath();
    void SetHelpPage(const QString& path) { m_helpPage = path; }
    // Login hand-over and the automation object's close
    // (KelvoDlgWebLogin.cpp). A hand-over logs in with uid and ticket; they
    // run one at a time, in turn, and only while no modal window is up.
    void QueueWebLogin(const QString& uid, const QString& ticket);
    // Ends the modal windows, waits for the workers, then closes the dialog
    // through its close routine.
    void RequestClose();
    // A hand-over is queued, asking or waiting for the service.
    bool WebLoginPending() const;
    // A file handed over by the automation object or a page: opened at once
    // at the top level when nothing else runs, else once the ring command,
    // the open or the modal window of the moment is over (the latest only).
    void QueueOpenFile(const QString& path);

    // --- the ring road (KelvoDlgRing.cpp) ---
    // One ring job at a time: a command accepted on the GUI thread claims the
    // busy flag, takes the selection's content and starts the worker, which
    // writes the ring file, the VOX file and uploads; the flag is free again
    // once the worker ends, whatever way it ends.
    // A message and false unless music is loaded and the length field holds
    // 5 to 50 s.
    bool CheckRingSelection();
    void OnSaveRing();   // 114
    void OnUploadRing(); // 119 and 1019
    // The ring library list's "上传": a ring file of the library.
    void UploadRingFile(const QString& name, const QString& path);
    // The login, the fee query and the month-order offer; true to go on.
    bool QueryRingFee();
    bool IsRingJobRunning() const;
    // Waits for the running job with the events going.
    void WaitForRingJob();
    // Also told every step text of the worker, from the worker's thread.
    void SetRingStepObserver(IProgress* observer) { m_ringSteps = observer; }
    // The folder of the job's working files instead of the per-process one.
    void SetRingWorkFolder(const QString& folder) { m_ringWorkFolder = folder; }

    // The update check (KelvoDlgUpdate.cpp): started once by OnInitDialog on
    // its own worker, which asks through AskUpdate on this thread; the close
    // routine calls it off and joins it.
    using DeclareRunner = std::function<int(CDeclareDialog& dialog)>;
    void SetDeclareRunner(DeclareRunner runner) { m_runDeclare = std::move(runner); }
    bool IsUpdateCheckDone() const { return m_updateDone.load(); }

    // --- downloads of material (KelvoDlgDownload.cpp) ---
    // A material link of the service's pages, with or without "http://down="
    // in front: a row of the download list and a worker that fetches it. The
    // message is shown queued, so a page or navigation callback may call it.
    // A link that leaves no file name is refused with a message, and no row.
    void OnDownloadLink(const QString& link);
    // A material is a ring's music, at most 55 s: even as WAV of 96 kHz,
    // 24 bits and two channels it stays under this. A longer body fails.
    static constexpr int64_t kMaxMaterialBytes = int64_t(32) << 20;
    CListDownloadCtrl* Downloads() const { return m_downloads; }
    // Download workers not yet joined.
    size_t RunningDownloads() const { return m_downloadThreads.size(); }

public slots:
    void done(int result) override;
    // Enter applies a field; it never closes the dialog.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateControls();
    QPushButton* AddBmpButton(int id, const QString& tip);
    void PlaceLists();
    void CreateTimeEdits();
    void FillLists();
    void ReadVolumes();
    void CheckInstalledVersion();
    // The upgrade message, once, after the dialog is up.
    void ContinueModal();
    void OnHScroll(QSlider* slider);
    void OnMusicLoaded();
    void SaveVolumes();
    // KelvoDlgCommands.cpp
    void ConnectCommands();
    void AfterPlayStarted(int t);
    void AfterPlayStopped();
    uint32_t CursorTime() const;
    void ApplyFieldOutcome(int field);
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The hand-over at the head of the queue; its reply.
    void OnWebLogin();
    void OnWebLoginReply();
    // Starts what waits for the top level (hand-overs, a requested close).
    void RunDeferred();
    void StartDeferred();
    // No modal window is up and no nested event loop runs.
    bool AtTopLevel() const;

    // The ring road (KelvoDlgRing.cpp).
    void WireRingRoad();
    QString RingWorkFile(const QString& name) const;
    // A ring command's start: the selection check when asked for, then the
    // editor's ring job claimed (false, nothing claimed, when busy, closed or
    // refused). Every way the command ends releases it, or the job does.
    bool ClaimRingCommand(bool checkSelection);
    // With the claim held: checks the selection again (modes 0 and 2), takes
    // its content and starts the worker; else releases the claim.
    void StartRingJob(const CRingJob& job);
    static int RingJobThreadProc(CKelvoDlg* dialog);
    void GenerateRing();
    void FinishRingJob();
    // Before the worker reads the job, a copy made for it alone.
    CRingJob m_ringJob;
    RingSnapshot m_ringSnapshot;
    std::thread m_ringThread;
    // The fee step, the replace question and the upload; closed first by
    // the close routine, which calls a running upload off.
    CRingPublisher* m_publisher = nullptr;
    IProgress* m_ringSteps = nullptr;
    QString m_ringWorkFolder;

    void StartUpdateCheck();
    // GUI thread: the question, or the declaration when there is one; false
    // once the dialog is closing.
    bool AskUpdate(const QString& declare);

    // Downloads (KelvoDlgDownload.cpp). The worker only posts its result;
    // the handlers join it.
    // The page object and script that hand the web view's material links on.
    void WireDownloads();
    void DownloadThreadProc(std::shared_ptr<CHTTPDownloadTask> task, QString folder);
    void JoinDownload(int id);
    void OnDownloadProgress(int id);
    void OnDownloadFinished(int id, const QString& target);
    void OnDownloadFailed(int id);
    // Posts text to the download notices, shown after the caller returned.
    void TellDownload(const QString& text);
    // Cancels every download and joins its worker.
    void CloseDownloads();
    CListDownloadCtrl* m_downloads = nullptr;
    std::map<int, std::thread> m_downloadThreads;
    TickSource m_downloadTicks = SteadyTicks();

    IMessageSink& m_messages;
    // The download notices, one after another: a failure never opens over
    // the notice that its download was queued.
    CMessageQueue m_downloadMessages{m_messages};
    IQuestionBox& m_questions;
    IUrlOpener& m_urls;
    std::atomic<bool> m_busy{false};
    QString m_themePath;

    // In the order the dialog makes them.
    CBrowserDlg* m_browser = nullptr;
    QTreeWidget* m_downloadList = nullptr;
    CListResourceCtrl* m_materials = nullptr;
    CListMyRing* m_ringLibrary = nullptr;
    CTimerShow* m_clock = nullptr;
    CLyricsShow* m_lyrics = nullptr;
    CWaveShow* m_spectrum = nullptr;
    CSongInfoShow* m_songInfo = nullptr;
    CProgressDialog* m_progress = nullptr; // the editor's progress window
    CBrevanta* m_editor = nullptr;
    QLineEdit* m_startEdit = nullptr;
    QLineEdit* m_endEdit = nullptr;
    QLineEdit* m_lengthEdit = nullptr;
    CSkinMaskEdit* m_startMask = nullptr;
    CSkinMaskEdit* m_endMask = nullptr;
    CSkinMaskEdit* m_lengthMask = nullptr;
    QString m_loginId;
    QSlider* m_musicVolume = nullptr;  // 1017
    QSlider* m_recordVolume = nullptr; // 1018
    CTabCtrl* m_tab = nullptr;
    CColouredToolTip* m_toolTips = nullptr;
    CSimpleProgress* m_busyPanel = nullptr;
    QSlider* m_musicVolume2 = nullptr; // 1050, follows 1017
    CSkinBmpButton* m_recordButton = nullptr;
    CSkinBmpButton* m_loopButton = nullptr;

    int m_loggedIn = 0;
    int m_downloadId = 0;
    int m_justUpgraded = 0;
    std::map<int, QWidget*> m_controls;
    QCheckBox* m_voiceCheck = nullptr; // 1048
    QCheckBox* m_musicCheck = nullptr; // 1049
    AboutRunner m_runAbout;
    DialogRunner m_runDialog;
    FileChooser m_chooseFile;
    QString m_loadedMusicPath;
    QString m_helpPage;
    // The update check's worker, which sets m_updateDone as its last step;
    // joined on close.
    std::thread m_updateThread;
    std::atomic<bool> m_updateDone{false};
    std::unique_ptr<CUpdateCheck> m_updateCheck;
    DeclareRunner m_runDeclare;
    bool m_initialised = false;
    bool m_shown = false;
    bool m_closed = false;
    bool m_voiceKept = true;

    struct WebLogin
    {
        QString uid;
        QString ticket;
    };
    std::deque<WebLogin> m_webLogins;
    WebLogin m_webLogin; // the one whose request runs
    CServiceCall* m_webLoginCall = nullptr;
    QTimer* m_deferred = nullptr;
    QString m_pendingOpen;
    bool m_closeRequested = false;
};
