#pragma once

#include <QMainWindow>
#include <QString>

// Brevanta's main window. For now it carries the menu, the status bar and the
// file named at start-up; the editing panes come with the timeline.
class CMainFrame : public QMainWindow
{
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);

    // Opens a file on a new track at 0 ms once the editor exists; until then
    // the name is kept.
    void OpenFileInEditor(const QString& path);
    QString PendingFile() const { return m_pendingFile; }

    // Another start asked for this window: restore it if minimised and raise it.
    void RestoreAndRaise();

signals:
    void aboutRequested();

private:
    QString m_pendingFile;
};
