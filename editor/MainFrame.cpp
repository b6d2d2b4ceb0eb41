#include "editor/MainFrame.h"

#include "editor/ControlPad.h"
#include "editor/ControlView.h"
#include "editor/DropDownButton.h"
#include "editor/EditorIcons.h"
#include "editor/EditorView.h"
#include "publish/MessageBoxSink.h"
#include "editor/ResourceView.h"
#include "editor/TaskListDialog.h"
#include "editor/WaveCtrl.h"
#include "platform/DesktopUrlOpener.h"
#include "platform/LockKeyIndicators.h"
#include "publish/BrowserDlg.h"
#include "publish/ListMyRing.h"
#include "publish/MessageBoxQuestion.h"
#include "publish/RingPublisher.h"
#include "publish/SimpleProgress.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <utility>
#include <vector>

using EditorIcons::Icon;

const QString CMainFrame::kSaveQuestion = QStringLiteral("当前音频已修改，是否保存？");

std::map<CMainFrame::Command, bool> CMainFrame::EnabledCommands(const EditorState& s)
{
    // Commands that change tracks or clips wait while a worker reads them.
    const bool free = !s.busy;
    return {
        {Command::New, free},
        {Command::Open, free},
        {Command::Save, s.hasAudio && free},
        {Command::Undo, s.canUndo && free},
        {Command::Redo, s.canRedo && free},
        {Command::Cut, s.canCopy && free},
        {Command::Copy, s.canCopy},
        {Command::Paste, s.clipboardHasTracks && free},
        {Command::Delete, s.canCopy && free},
        {Command::Trim, s.selectionHasAudio && free},
        {Command::Upload, s.hasAudio},
        {Command::SaveAsRing, s.hasAudio},
        {Command::RingLibrary, true},
        {Command::About, true},
    };
}

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Varenth彩铃Zuvo高级版"));
    m_ownQuestions = std::make_unique<MessageBoxQuestion>(windowTitle(), this);
    m_questions = m_ownQuestions.get();
    m_ownMessages = std::make_unique<MessageBoxSink>(windowTitle(), this);
    m_messages = m_ownMessages.get();
    m_ownUrls = std::make_unique<DesktopUrlOpener>();
    m_urls = m_ownUrls.get();
    // Both made hidden; the ring road shows them.
    m_uploadProgress = new CSimpleProgress(this);
    m_browser = new CBrowserDlg(this);
    CreatePublisher();
    connect(m_browser, &CBrowserDlg::pageFailed, this,
            [this](const QString& message) { m_messages->ShowMessage(message); });
    CreatePanes();
    CreateActions();
    CreateMenus();
    CreateToolbar();
    CreateStatusBar();
    UpdateCommands();
}

CMainFrame::~CMainFrame()
{
    // A ring job still running is called off and ends before the timeline
    // it reads goes; what it still asks of the GUI thread is skipped.
    m_publisher->Close();
    WaitForRingJob();
    // Records and copies go before the timeline that their tracks refer to.
    m_history.Clear();
    m_clipboard.RemoveAll();
}

CWaveCtrl* CMainFrame::WaveCtrl() const
{
    return m_editorView->WaveCtrl();
}

void CMainFrame::CreatePanes()
{
    m_outer = new QSplitter(Qt::Vertical, this);
    m_inner = new QSplitter(Qt::Horizontal, m_outer);
    m_controlView = new CControlView(m_inner);
    m_editorView = new CEditorView(m_inner);
    m_resourcePane = new CResourceView(m_outer);
    for (QSplitter* splitter : {m_outer, m_inner}) {
        splitter->setHandleWidth(4);
        splitter->setChildrenCollapsible(false);
    }
    m_controlView->setMinimumWidth(0);
    m_inner->setStretchFactor(0, 0);
    m_inner->setStretchFactor(1, 1);
    // A change of the window's height goes to the upper row; the resource
    // pane keeps its height.
    m_outer->setStretchFactor(0, 1);
    m_outer->setStretchFactor(1, 0);
    m_inner->setSizes({kPadColumnWidth, 800});
    m_outer->setSizes({400, kResourcePaneHeight});
    setCentralWidget(m_outer);

    CWaveCtrl* ctrl = m_editorView->WaveCtrl();
    ctrl->SetEditContext(&m_history, &m_clipboard);
    ctrl->SetPadFactory([] { return std::make_unique<CControlPad>(); });
    m_editorView->SetControlView(m_controlView);
    m_editorView->InitEditor();
    m_resourcePane->SetOpenHandler(
        [ctrl](const QString& path) { ctrl->OpenAudioToNewTrack(path); });
    m_resourcePane->RingList()->SetUploadHandler(
        [this](const QString& name, const QString& path) { UploadRingFile(name, path); });
    connect(ctrl, &CWaveCtrl::saveFinished, this, &CMainFrame::UpdateCommands,
            Qt::QueuedConnection);
    // At once, not queued: no command may act on a stale enabled state.
    connect(ctrl, &CWaveCtrl::busyChanged, this, &CMainFrame::OnBusyChanged);
    connect(ctrl, &CWaveCtrl::saveFinished, this, &CMainFrame::OnSaveFinished);
    for (auto signal :
         {&CWaveCtrl::selectionChanged, &CWaveCtrl::contentChanged, &CWaveCtrl::trackInserted,
          &CWaveCtrl::trackDeleted, &CWaveCtrl::clipMoved, &CWaveCtrl::clipAdded})
        connect(ctrl, signal, this, &CMainFrame::UpdateCommands, Qt::QueuedConnection);
}

void CMainFrame::CreateActions()
{
    const auto make = [this](Command command, const QString& text, Icon icon,
                             const QString& tip = QString()) {
        auto* action = new QAction(EditorIcons::Make(icon, 17), text, this);
        if (!tip.isEmpty()) {
            const QStringList parts = tip.split(u'\n');
            action->setStatusTip(parts.first());
            action->setToolTip(parts.size() > 1 ? parts[1] : parts.first());
        }
        m_actions[command] = action;
        return action;
    };
    CWaveCtrl* ctrl = WaveCtrl();
    // The menu shows the key, so the key works.
    QAction* fresh = make(Command::New, QStringLiteral("新建(&N)"), Icon::New);
    fresh->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    connect(fresh, &QAction::triggered, this, &CMainFrame::OnNew);
    connect(
        make(Command::Open, QStringLiteral("打开"), Icon::Open, QStringLiteral("打开音频文件")),
        &QAction::triggered, ctrl, &CWaveCtrl::BrowseAudioToNewTrack);
    connect(make(Command::Save, QStringLiteral("保存"), Icon::Save), &QAction::triggered, ctrl,
            &CWaveCtrl::SaveAs);
    connect(make(Command::Upload, QStringLiteral("上传"), Icon::Upload,
                 QStringLiteral("将选中的音频制作成彩铃上传\n上传彩铃")),
            &QAction::triggered, this, &CMainFrame::OnRingUpload);
    connect(make(Command::SaveAsRing, QStringLiteral("存为铃音"), Icon::SaveAsRing,
                 QStringLiteral("将选中的音频存为彩铃\n存为彩铃")),
            &QAction::triggered, this, &CMainFrame::OnSaveAsRing);
    connect(make(Command::RingLibrary, QStringLiteral("手机铃音库管理"), Icon::SaveAsRing),
            &QAction::triggered, this, &CMainFrame::OnRingManagement);
    QAction* undo = make(Command::Undo, QStringLiteral("撤消(&U)"), Icon::Undo,
                         QStringLiteral("撤消上一操作\n撤消"));
    undo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)});
    connect(undo, &QAction::triggered, this, &CMainFrame::OnUndo);
    QAction* redo = make(Command::Redo, QStringLiteral("重复(&R)"), Icon::Redo,
                         QStringLiteral("恢复上次撤消的操作\n重做"));
    redo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    connect(redo, &QAction::triggered, this, &CMainFrame::OnRedo);
    QAction* cut = make(Command::Cut, QStringLiteral("剪切(&T)"), Icon::Cut,
                        QStringLiteral("剪切选定内容并将其放到剪贴板上\n剪切"));
    cut->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)});
    connect(cut, &QAction::triggered, ctrl, &CWaveCtrl::CutSelection);
    QAction* copy = make(Command::Copy, QStringLiteral("复制(&C)"), Icon::Copy,
                         QStringLiteral("复制选定内容并将其放到剪贴板上\n复制"));
    copy->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    connect(copy, &QAction::triggered, ctrl, &CWaveCtrl::CopySelection);
    QAction* paste = make(Command::Paste, QStringLiteral("粘贴(&P)"), Icon::Paste,
                          QStringLiteral("插入剪贴板内容\n粘贴"));
    paste->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)});
    connect(paste, &QAction::triggered, ctrl, &CWaveCtrl::Paste);
    connect(make(Command::Delete, QStringLiteral("删除"), Icon::Delete,
                 QStringLiteral("删除选中的音频\n删除")),
            &QAction::triggered, ctrl, [ctrl] { ctrl->DeleteSelection(false); });
    connect(make(Command::Trim, QStringLiteral("修剪"), Icon::Trim,
                 QStringLiteral("对选择的音频进行修剪\n修剪")),
            &QAction::triggered, ctrl, &CWaveCtrl::TrimSelection);
    connect(make(Command::About, QStringLiteral("关于 Brevanta(&A)..."), Icon::About,
                 QStringLiteral("显示程序信息、版本号和版权\n关于")),
            &QAction::triggered, this, &CMainFrame::aboutRequested);
    // Each edit command changes what the others may do.
    for (Command command : {Command::Undo, Command::Redo, Command::Cut, Command::Copy,
                            Command::Paste, Command::Delete, Command::Trim, Command::New})
        connect(m_actions[command], &QAction::triggered, this, &CMainFrame::UpdateCommands);
}

void CMainFrame::CreateMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("文件(&F)"));
    file->addAction(Action(Command::New));
    file->addAction(Action(Command::Open));
    file->addSeparator();
    file->addAction(Action(Command::Save));
    file->addAction(Action(Command::Upload));
    file->addAction(Action(Command::SaveAsRing));
    file->addAction(QStringLiteral("退出(&X)"), this, &QWidget::close);
    QMenu* rings = menuBar()->addMenu(QStringLiteral("彩铃管理(&R)"));
    rings->addAction(Action(Command::RingLibrary));
    QMenu* edit = menuBar()->addMenu(QStringLiteral("编辑(&E)"));
    edit->addAction(Action(Command::Undo));
    edit->addAction(Action(Command::Redo));
    edit->addSeparator();
    edit->addAction(Action(Command::Cut));
    edit->addAction(Action(Command::Copy));
    edit->addAction(Action(Command::Paste));
    edit->addSeparator();
    edit->addAction(Action(Command::Delete));
    edit->addAction(Action(Command::Trim));
    QMenu* view = menuBar()->addMenu(QStringLiteral("视图(&V)"));
    QMenu* help = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
    help->addAction(Action(Command::About));
    for (QMenu* menu : {file, rings, edit})
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommands);

    // F6 and Shift+F6 move between the panes.
    auto* next = new QAction(this);
    next->setShortcut(Qt::Key_F6);
    connect(next, &QAction::triggered, this, [this] { focusNextChild(); });
    auto* previous = new QAction(this);
    previous->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6));
    connect(previous, &QAction::triggered, this, [this] { focusPreviousChild(); });
    addActions({next, previous});
    // Filled once the toolbar and status bar exist.
    view->setObjectName(QStringLiteral("viewMenu"));
}

QToolButton* CMainFrame::DropDownButton(QAction* action, bool undo)
{
    if (!m_taskList) {
        m_taskList = new CTaskListDialog(this);
        // Queued: the list is gone before the steps run.
        connect(m_taskList, &CTaskListDialog::undoSteps, this, &CMainFrame::OnUndoSteps,
                Qt::QueuedConnection);
        connect(m_taskList, &CTaskListDialog::redoSteps, this, &CMainFrame::OnRedoSteps,
                Qt::QueuedConnection);
    }
    auto* button = new CDropDownButton(this);
    button->setDefaultAction(action);
    connect(button, &CDropDownButton::dropDown, this,
            [this, button, undo] { ShowTaskList(button, undo); });
    return button;
}

void CMainFrame::ShowTaskList(QWidget* button, bool undo)
{
    m_taskList->SetMode(undo ? CTaskListDialog::Undo : CTaskListDialog::Redo);
    m_taskList->ResetContent();
    for (const QString& name : undo ? UndoNames() : RedoNames())
        m_taskList->AddItem(name);
    m_taskList->SetHover(0);
    m_taskList->setGeometry(
        QRect(button->mapToGlobal(button->rect().bottomLeft()), QSize(200, 250)));
    m_taskList->show();
}

void CMainFrame::CreateToolbar()
{
    QToolBar* bar = addToolBar(QStringLiteral("工具栏"));
    bar->setObjectName(QStringLiteral("mainToolbar"));
    bar->setIconSize(QSize(17, 17));
    bar->setMovable(false);
    bar->addAction(Action(Command::New));
    bar->addAction(Action(Command::Open));
    bar->addAction(Action(Command::Save));
    bar->addSeparator();
    bar->addAction(Action(Command::Cut));
    bar->addAction(Action(Command::Copy));
    bar->addAction(Action(Command::Paste));
    bar->addSeparator();
    bar->addWidget(DropDownButton(Action(Command::Undo), true));
    bar->addWidget(DropDownButton(Action(Command::Redo), false));
    bar->addSeparator();
    bar->addAction(Action(Command::Delete));
    bar->addAction(Action(Command::Trim));
    bar->addSeparator();
    bar->addAction(Action(Command::About));
    bar->addSeparator();
    bar->addAction(Action(Command::SaveAsRing));
    bar->addAction(Action(Command::Upload));

    QMenu* view = menuBar()->findChild<QMenu*>(QStringLiteral("viewMenu"));
    QAction* toolbar = bar->toggleViewAction();
    toolbar->setText(QStringLiteral("工具栏(&T)"));
    view->addAction(toolbar);
}

void CMainFrame::CreateStatusBar()
{
    // The idle text comes back whenever a command prompt goes.
    QStatusBar* bar = statusBar();
    connect(bar, &QStatusBar::messageChanged, bar, [bar](const QString& message) {
        if (message.isEmpty())
            bar->showMessage(QStringLiteral("就绪"));
    });
    bar->showMessage(QStringLiteral("就绪"));
    // The lock panes show their text while the lock is on; without an X
    // server to read the lights from they stay blank.
    struct Pane
    {
        LockKeyIndicators::Lock lock;
        const char* name;
        QString text;
    };
    const Pane panes[] = {{LockKeyIndicators::Caps, "capsLockPane", QStringLiteral("CAP")},
                          {LockKeyIndicators::Num, "numLockPane", QStringLiteral("NUM")},
                          {LockKeyIndicators::Scroll, "scrollLockPane", QStringLiteral("SCRL")}};
    auto* locks = new LockKeyIndicators(this);
    std::vector<std::pair<QLabel*, Pane>> labels;
    for (const Pane& pane : panes) {
        auto* indicator = new QLabel(bar);
        indicator->setObjectName(QLatin1String(pane.name));
        indicator->setAlignment(Qt::AlignCenter);
        // Sized for its text, so the bar does not shift when a lock changes.
        indicator->setMinimumWidth(
            std::max(36, indicator->fontMetrics().horizontalAdvance(pane.text) + 12));
        bar->addPermanentWidget(indicator);
        labels.emplace_back(indicator, pane);
    }
    const auto show = [locks, labels] {
        for (const auto& [label, pane] : labels)
            label->setText(locks->IsOn(pane.lock) ? pane.text : QString());
    };
    show();
    connect(locks, &LockKeyIndicators::Changed, this, show);
    QMenu* view = menuBar()->findChild<QMenu*>(QStringLiteral("viewMenu"));
    QAction* status = view->addAction(QStringLiteral("状态栏(&S)"));
    status->setCheckable(true);
    status->setChecked(true);
    connect(status, &QAction::toggled, statusBar(), &QWidget::setVisible);
}

void CMainFrame::UpdateCommands()
{
    const CWaveCtrl* ctrl = WaveCtrl();
    EditorState state;
    state.hasAudio = ctrl->HasAudio();
    state.canUndo = m_history.CanUndo();
    state.canRedo = m_history.CanRedo();
    state.canCopy = ctrl->CanCopy();
    state.selectionHasAudio = ctrl->SelectionHasAudio();
    state.clipboardHasTracks = m_clipboard.HasTracks();
    state.busy = ctrl->IsBusy();
    for (const auto& [command, enabled] : EnabledCommands(state))
        m_actions[command]->setEnabled(enabled);
}

void CMainFrame::OnBusyChanged(bool busy)
{
    UpdateCommands();
    if (!busy && m_closeWhenIdle) {
        m_closeWhenIdle = false;
        // Once the job has handed over its result.
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
}

bool CMainFrame::MayDiscardChanges(AfterSave then)
{
    if (m_history.IsClean())
        return true;
    switch (m_questions->AskYesNoCancel(kSaveQuestion)) {
    case IQuestionBox::Answer::No:
        return true;
    case IQuestionBox::Answer::Cancel:
        return false;
    case IQuestionBox::Answer::Yes:
        // The save runs on a worker; `then` waits for it to succeed.
        if (WaveCtrl()->SaveAs())
            m_afterSave = then;
        return false;
    }
    return false;
}

void CMainFrame::OnSaveFinished(bool saved)
{
    const AfterSave then = m_afterSave;
    m_afterSave = AfterSave::Nothing;
    // Saving only the selected part leaves the project unsaved.
    if (!saved || !m_history.IsClean())
        return;
    if (then == AfterSave::New) {
        ClearProject();
    } else if (then == AfterSave::Close) {
        m_closeAgreed = true;
        close();
    }
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (WaveCtrl()->IsBusy()) {
        m_closeWhenIdle = true;
        event->ignore();
        return;
    }
    const bool agreed = std::exchange(m_closeAgreed, false);
    if (!agreed && !MayDiscardChanges(AfterSave::Close)) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void CMainFrame::OnNew()
{
    // The tracks may be read by a worker whatever the button showed.
    if (WaveCtrl()->IsBusy() || !MayDiscardChanges(AfterSave::New))
        return;
    ClearProject();
}

void CMainFrame::ClearProject()
{
    if (WaveCtrl()->IsBusy())
        return;
    m_controlView->RemoveAllPads();
    WaveCtrl()->RemoveAllTracks();
    // The empty timeline keeps nothing of the old project's places.
    WaveCtrl()->ClearSelection();
    WaveCtrl()->MoveCursorToStart();
    m_history.Clear();
    UpdateCommands();
}

void CMainFrame::OnUndo()
{
    if (!WaveCtrl()->IsBusy() && m_history.Undo())
        WaveCtrl()->Refresh();
}

void CMainFrame::OnRedo()
{
    if (!WaveCtrl()->IsBusy() && m_history.Redo())
        WaveCtrl()->Refresh();
}

bool CMainFrame::OnUndoSteps(int n)
{
    if (WaveCtrl()->IsBusy() || n < 0 || n >= m_history.GetUndoCount())
        return false;
    for (int i = 0; i <= n; ++i) {
        if (!m_history.Undo())
            break;
    }
    WaveCtrl()->Refresh();
    UpdateCommands();
    return true;
}

bool CMainFrame::OnRedoSteps(int n)
{
    if (WaveCtrl()->IsBusy() || n < 0 || n >= m_history.GetRedoCount())
        return false;
    for (int i = 0; i <= n; ++i) {
        if (!m_history.Redo())
            break;
    }
    WaveCtrl()->Refresh();
    UpdateCommands();
    return true;
}

QStringList CMainFrame::UndoNames() const
{
    QStringList names;
    for (int n = 0; n < m_history.GetUndoCount(); ++n)
        names << m_history.GetUndoEdit(n)->GetName();
    return names;
}

QStringList CMainFrame::RedoNames() const
{
    QStringList names;
    for (int n = 0; n < m_history.GetRedoCount(); ++n)
        names << m_history.GetRedoEdit(n)->GetName();
    return names;
}

void CMainFrame::OpenFileInEditor(const QString& path)
{
    WaveCtrl()->OpenAudioToNewTrack(path);
}

void CMainFrame::RestoreAndRaise()
{
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}
