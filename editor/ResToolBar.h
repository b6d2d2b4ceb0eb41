#pragma once

#include <QToolBar>

class QAction;
class QMenu;

// The file browser's small toolbar: "向上", "刷新" and the "查看" drop-down
// with the list's view styles and "显示所有文件". Its artwork is drawn here.
// The owner connects the actions. GUI thread only.
class CResToolBar : public QToolBar
{
    Q_OBJECT
public:
    enum class Command { Up, Refresh, LargeIcons, SmallIcons, List, ShowAll };

    explicit CResToolBar(QWidget* parent = nullptr);

    QAction* Action(Command command) const;
    QMenu* ViewMenu() const { return m_viewMenu; }
    // Marks one of the three view styles (and clears the others).
    void CheckViewItem(Command command);
    void CheckShowAll(bool on);

private:
    QMenu* m_viewMenu;
    QAction* m_up;
    QAction* m_refresh;
    QAction* m_view;
    QAction* m_large;
    QAction* m_small;
    QAction* m_list;
    QAction* m_showAll;
};
