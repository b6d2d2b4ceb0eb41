#pragma once

#include "platform/TickClock.h"

#include <QColor>
#include <QIcon>
#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>

class CHTTPDownloadTask;
class QTreeWidget;
class QTreeWidgetItem;

// The download list of Kelvo's main dialog (control 1009): one row per
// running download with the download icon and its name, size, progress,
// speed and a cancel mark. A controller over the plain list the dialog makes:
// Init gives it its five columns and the painting (grid lines, odd rows
// shaded, a bar in "进度", the mark in "取消"). A row shares its task with the task's worker;
// removing the row, by RemoveTask or a click in "取消", cancels the task, which the worker then
// ends on its own. GUI thread only (the workers never touch the list).
class CListDownloadCtrl : public QObject
{
    Q_OBJECT
public:
    static constexpr int kCancelColumn = 4;
    // The lines between the cells.
    static QColor GridColour() { return QColor(0xC0, 0xC0, 0xC0); }
    // Image 0 of the list: what each row shows before its name.
    static QIcon DownloadIcon();

    explicit CListDownloadCtrl(QTreeWidget* list, TickSource ticks = SteadyTicks());
    ~CListDownloadCtrl() override;

    void Init();
    // A row at the end for the task, with its texts.
    void AddTask(std::shared_ptr<CHTTPDownloadTask> task);
    // The texts of the first row whose task has this id.
    void UpdateProgress(int id);
    // Removes the first row whose task has this id, cancelling the task.
    void RemoveTask(int id);

    QTreeWidget* List() const { return m_list; }
    // The row of the first task with this id; -1 when none.
    int FindRow(int id) const;
    std::shared_ptr<CHTTPDownloadTask> TaskAt(int row) const;

    // "%.2fMB" of a byte count.
    static QString SizeText(int64_t bytes);
    // "%.2f" percent received of length; 0 when the length is 0.
    static QString ProgressText(int64_t received, int64_t length);
    // "%.2fKB/S" as bytes per millisecond; "0KB/S" when no time passed.
    static QString SpeedText(int64_t received, uint32_t elapsedMs);

private:
    void SetTexts(QTreeWidgetItem* item, const CHTTPDownloadTask& task) const;
    void OnItemClicked(QTreeWidgetItem* item, int column);
    void DeleteRow(int row);

    QTreeWidget* m_list;
    TickSource m_ticks;
};
