#include "editor/MainFrame.h"

#include <QMenuBar>
#include <QStatusBar>

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Varenth彩铃Zuvo高级版"));
    QMenu* help = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
    QAction* about = help->addAction(QStringLiteral("关于 Brevanta(&A)..."));
    connect(about, &QAction::triggered, this, &CMainFrame::aboutRequested);
    statusBar()->showMessage(QStringLiteral("就绪"));
}

void CMainFrame::OpenFileInEditor(const QString& path)
{
    m_pendingFile = path;
}

void CMainFrame::RestoreAndRaise()
{
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}
