#pragma once

#include "audio/EditHistory.h"
#include "audio/TrackClipboard.h"

#include <QMainWindow>
#include <QString>

#include <map>
#include <memory>

class CControlView;
class CEditorView;
class CResourceView;
class CTaskListDialog;
class CWaveCtrl;
class IQuestionBox;
class QAction;
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
    enum class Command { New, Open, Save, Undo, Redo, Cut, Copy, Paste, Delete, Trim, Upload,
                         SaveAsRing, RingLibrary, About };

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
    void SetQuestionBox(IQuestionBox* questions) { m_questions = questions; }

    // The question asked before New or closing throws changes away.
    static const QString kSaveQuestion;

signals:
    void aboutRequested();

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
};
