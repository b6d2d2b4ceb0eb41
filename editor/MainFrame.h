#pragma once

#include "audio/EditHistory.h"
#include "audio/Mixdown.h"
#include "audio/TrackClipboard.h"
#include "publish/RingJob.h"

#include <QMainWindow>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <thread>

class CBrowserDlg;
class CControlView;
class CEditorView;
class CResourceView;
class CRingPublisher;
class CTaskListDialog;
class CWaveCtrl;
class CSimpleProgress;
class IMessageSink;
class IQuestionBox;
class IUrlOpener;
class QAction;
class QDialog;
class QSplitter;
class QToolButton;

// Brevanta's window: the track pads beside the timeline above the resource
// pane, the menu, the toolbar with its undo and redo drop-downs and the status
// bar. Routes the commands to the timeline and the undo history, which it
// owns together with the track clipboard. GUI thread only.
class CMainFrame : public QMainWindow
{
    Q_OBJECT
public:
    // Commands whose enabled state follows the editor's state.
    enum class Command {
        New,
        Open,
        Save,
        Undo,
        Redo,
        Cut,
        Copy,
        Paste,
        Delete,
        Trim,
        Upload,
        SaveAsRing,
        RingLibrary,
        About
    };

    // What the enabled states are decided from.
    struct EditorState
    {
        bool hasAudio = false;
        bool canUndo = false;
        bool canRedo = false;
        bool canCopy = false;
        bool selectionHasAudio = false;
        bool clipboardHasTracks = false;
        bool busy = false; // a worker reads the timeline
    };
    static std::map<Command, bool> EnabledCommands(const EditorState& state);

    static constexpr int kResourcePaneHeight = 300; // px
    static constexpr int kPadColumnWidth = 160;     // px

    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Opens a file on a new track at 0 ms.
    void OpenFileInEditor(const QString& path);

    // Another start asked for this window: restore it if minimised and raise it.
    void RestoreAndRaise();

    CEditorView* EditorView() const { return m_editorView; }
    CControlView* ControlView() const { return m_controlView; }
    CWaveCtrl* WaveCtrl() const;
    EditHistory& History() { return m_history; }
    CTrackClipboard& Clipboard() { return m_clipboard; }
    QAction* Action(Command command) const { return m_actions.at(command); }
    QSplitter* OuterSplitter() const { return m_outer; }
    QSplitter* InnerSplitter() const { return m_inner; }
    CResourceView* ResourceView() const { return m_resourcePane; }
    CTaskListDialog* TaskList() const { return m_taskList; }

    // Undoes or redoes n + 1 steps, stopping at the first that fails, and
    // repaints once. false when n is out of range or a worker reads the tracks.
    bool OnUndoSteps(int n);
    bool OnRedoSteps(int n);

    // The names the undo (or redo) drop-down lists, next step first.
    QStringList UndoNames() const;
    QStringList RedoNames() const;

    // Re-reads the editor's state into the commands' enabled states.
    void UpdateCommands();

    // Fills the undo (or redo) list and opens it under the button.
    void ShowTaskList(QWidget* button, bool undo);

    // Where the question about unsaved work goes (not owned; it must outlive
    // the frame). Unset, the frame asks in a message box.
    void SetQuestionBox(IQuestionBox* questions);

    // The question asked before New or closing throws changes away.
    static const QString kSaveQuestion;

    // Where the frame's messages go (not owned; it must outlive the frame).
    // Unset, they show in a message box. Called on the GUI thread only: the
    // ring worker reaches it through a blocking queued call.
    void SetMessageSink(IMessageSink* messages);
    // Runs the ring road's modal dialogs (the ring dialogs, login and the
    // month-order offer); true for OK. Unset, each runs modally.
    using DialogRunner = std::function<bool(QDialog& dialog)>;
    void SetDialogRunner(DialogRunner runner) { m_runDialog = std::move(runner); }
    // Opens the month plan's page (not owned); unset, the desktop's browser.
    void SetUrlOpener(IUrlOpener* urls);

    // The ring road. Each entry point does nothing while a ring job runs.
    // Selection of 5 to 55 s, else the user is told; true when it fits.
    bool CheckRingSelection();
    // Asks for the login unless logged in; true when logged in. A reply that
    // says the service no longer knows the user (401, 403) logs out.
    bool EnsureLoggedIn();
    // Logs in, then asks the service for the fee (and the month plan's
    // answer); true when the upload may go on.
    bool QueryRingFee();
    void OnRingUpload();
    void OnSaveAsRing();
    // From the ring library list: uploads one of its rings.
    void UploadRingFile(const QString& name, const QString& path);
    void OnRingManagement();
    bool IsRingJobRunning() const;
    // Waits, handling events, until no ring job runs (for callers that must
    // not go on while one does).
    void WaitForRingJob();
    // Where a ring job's working files go, ending in "/"; empty (the default):
    // the process's working folder.
    void SetRingWorkFolder(const QString& folder) { m_ringWorkFolder = folder; }
    CSimpleProgress* UploadProgress() const { return m_uploadProgress; }
    CBrowserDlg* Browser() const { return m_browser; }
    bool IsLoggedIn() const { return m_loggedIn; }

    // The user's words for the ring road's failed writes.
    static const QString& kRingWriteFailed;
    static const QString kVoxWriteFailed;

signals:
    void aboutRequested();
    // A ring job has ended and its busy state is released.
    void ringJobFinished();

protected:
    // Changes since the last save or open are not thrown away unasked; while
    // a worker reads the timeline, the window closes once it is done.
    void closeEvent(QCloseEvent* event) override;

private:
    // What waits for a save the user chose in the question.
    enum class AfterSave { Nothing, New, Close };
    // true: go on now. false: stop here (cancelled, or a save started and
    // `then` runs once it has written the file).
    bool MayDiscardChanges(AfterSave then);
    void ClearProject();
    void OnSaveFinished(bool saved);
    void OnBusyChanged(bool busy);
    void CreatePanes();
    void CreateActions();
    void CreateMenus();
    void CreateToolbar();
    void CreateStatusBar();
    QToolButton* DropDownButton(QAction* action, bool undo);
    void OnNew();
    void OnUndo();
    void OnRedo();
    bool RunDialog(QDialog& dialog);
    QString RingWorkFile(const QString& name) const;
    // Makes the ring service's client with the frame's sinks, login step,
    // dialog runner and upload window.
    void CreatePublisher();
    // Where a ring command's check passed: the selection into job and the
    // clips the ring mixes, as they are now.
    Mixdown::TakenClips TakeRing(CRingJob* job) const;
    // Claims the busy state on the GUI thread and starts the worker with
    // what the command took.
    void StartRingJob(const CRingJob& job, Mixdown::TakenClips clips);
    void RunRingJob(const CRingJob& job, Mixdown::TakenClips clips);
    void FinishRingJob();

    EditHistory m_history;
    CTrackClipboard m_clipboard;
    QSplitter* m_outer = nullptr;
    QSplitter* m_inner = nullptr;
    CControlView* m_controlView = nullptr;
    CEditorView* m_editorView = nullptr;
    CResourceView* m_resourcePane = nullptr;
    CTaskListDialog* m_taskList = nullptr;
    std::map<Command, QAction*> m_actions;
    std::unique_ptr<IQuestionBox> m_ownQuestions;
    IQuestionBox* m_questions = nullptr;
    AfterSave m_afterSave = AfterSave::Nothing;
    bool m_closeWhenIdle = false;
    bool m_closeAgreed = false;

    std::unique_ptr<IMessageSink> m_ownMessages;
    std::unique_ptr<IUrlOpener> m_ownUrls;
    IUrlOpener* m_urls = nullptr;
    IMessageSink* m_messages = nullptr;
    DialogRunner m_runDialog;
    int m_loggedIn = 0;
    QString m_mobile;
    CRingJob m_ringJob;
    QString m_ringWorkFolder;
    CSimpleProgress* m_uploadProgress = nullptr;
    CBrowserDlg* m_browser = nullptr;
    CRingPublisher* m_publisher = nullptr; // a child; closed when the frame goes
    std::thread m_ringThread;
};
