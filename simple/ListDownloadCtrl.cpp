#include "simple/ListDownloadCtrl.h"

#include "platform/ColorRef.h"
#include "publish/HTTPDownloadTask.h"

#include <QHeaderView>
#include <QPainter>
#include <QPolygon>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include <algorithm>
#include <cstdlib>

Q_DECLARE_METATYPE(std::shared_ptr<CHTTPDownloadTask>)

namespace {

constexpr int kTaskRole = Qt::UserRole + 1;
constexpr int kProgressColumn = 2;
constexpr int kMarkSize = 16;

// Odd rows shaded, the progress bar and the cancel mark.
class DownloadRowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        if (index.row() % 2 == 1 && !selected)
            painter->fillRect(option.rect, ColorRefToQColor(0xE6E6E6));
        if (index.column() == kProgressColumn)
            PaintBar(painter, option, index);
        else if (index.column() == CListDownloadCtrl::kCancelColumn)
            PaintCancelMark(painter, option, selected);
        else
            QStyledItemDelegate::paint(painter, option, index);
        // The cell's right and bottom edges: with its neighbours' they make the grid.
        painter->save();
        painter->setPen(CListDownloadCtrl::GridColour());
        const QRect cell = option.rect;
        painter->drawLine(cell.topRight(), cell.bottomRight());
        painter->drawLine(cell.bottomLeft(), cell.bottomRight());
        painter->restore();
    }

private:
    static void PaintBar(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index)
    {
        // The integer part of the column's "%.2f".
        const QByteArray text = index.data().toString().toLatin1();
        const int percent = std::clamp(std::atoi(text.constData()), 0, 100);
        const QRect bar = option.rect.adjusted(1, 1, -1, -1);
        if (bar.width() < 2 || bar.height() < 2)
            return;
        painter->save();
        painter->fillRect(bar, option.palette.color(QPalette::Base));
        painter->setPen(option.palette.color(QPalette::WindowText));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(bar.adjusted(0, 0, -1, -1));
        const int fill = percent * (bar.width() - 2) / 100;
        if (fill > 0)
            painter->fillRect(QRect(bar.left() + 1, bar.top() + 1, fill, bar.height() - 2),
                              ColorRefToQColor(MakeColorRef(0, 0xE6, 0)));
        painter->setFont(option.font);
        painter->drawText(bar, Qt::AlignCenter | Qt::TextSingleLine,
                          QString::number(percent) + QLatin1Char('%'));
        painter->restore();
    }

    // A red cross in a 16-pixel square, centred across the cell.
    static void PaintCancelMark(QPainter* painter, const QStyleOptionViewItem& option,
                                bool selected)
    {
        const QRect cell = option.rect;
        const QRect mark(cell.left() + (cell.width() - kMarkSize) / 2,
                         cell.top() + (cell.height() - kMarkSize) / 2, kMarkSize, kMarkSize);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        if (selected)
            painter->setOpacity(0.75);
        painter->setPen(QPen(QColor(0xCC, 0x22, 0x22), 2.5, Qt::SolidLine, Qt::RoundCap));
        const QRect cross = mark.adjusted(4, 4, -4, -4);
        painter->drawLine(cross.topLeft(), cross.bottomRight());
        painter->drawLine(cross.topRight(), cross.bottomLeft());
        painter->restore();
    }
};

QString Fixed2(double value)
{
    return QString::asprintf("%.2f", value);
}

} // namespace

QIcon CListDownloadCtrl::DownloadIcon()
{
    // An arrow down into a tray, in solid pixels so it stays crisp at 16 x 16.
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        const QColor arrow(0x1F, 0x7A, 0x3A);
        painter.fillRect(QRect(6, 1, 4, 6), arrow);
        painter.setPen(Qt::NoPen);
        painter.setBrush(arrow);
        painter.drawPolygon(QPolygon({QPoint(2, 7), QPoint(13, 7), QPoint(8, 12), QPoint(7, 12)}));
        const QColor tray(0x4A, 0x55, 0x60);
        painter.fillRect(QRect(1, 11, 2, 4), tray);
        painter.fillRect(QRect(13, 11, 2, 4), tray);
        painter.fillRect(QRect(1, 13, 14, 2), tray);
    }
    return QIcon(pixmap);
}

CListDownloadCtrl::CListDownloadCtrl(QTreeWidget* list, TickSource ticks)
    : QObject(list), m_list(list), m_ticks(std::move(ticks))
{
}

CListDownloadCtrl::~CListDownloadCtrl() = default;

void CListDownloadCtrl::Init()
{
    m_list->setColumnCount(5);
    m_list->setHeaderLabels({QStringLiteral("文件名"), QStringLiteral("大小"),
                             QStringLiteral("进度"), QStringLiteral("速度"),
                             QStringLiteral("取消")});
    const int widths[] = {150, 80, 90, 75, 40};
    for (int column = 0; column < 5; ++column)
        m_list->setColumnWidth(column, widths[column]);
    m_list->headerItem()->setTextAlignment(kCancelColumn, Qt::AlignCenter);
    m_list->header()->setStretchLastSection(false);
    m_list->setRootIsDecorated(false);
    m_list->setIconSize(QSize(16, 16));
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setItemDelegate(new DownloadRowDelegate(m_list));
    connect(m_list, &QTreeWidget::itemClicked, this, &CListDownloadCtrl::OnItemClicked);
}

void CListDownloadCtrl::AddTask(std::shared_ptr<CHTTPDownloadTask> task)
{
    if (!task)
        return;
    auto* item = new QTreeWidgetItem;
    item->setText(0, QString::fromStdString(task->GetName()));
    item->setIcon(0, DownloadIcon());
    item->setData(0, kTaskRole, QVariant::fromValue(task));
    item->setTextAlignment(kCancelColumn, Qt::AlignCenter);
    SetTexts(item, *task);
    m_list->addTopLevelItem(item);
}

void CListDownloadCtrl::UpdateProgress(int id)
{
    const int row = FindRow(id);
    if (row >= 0)
        SetTexts(m_list->topLevelItem(row), *TaskAt(row));
}

void CListDownloadCtrl::RemoveTask(int id)
{
    const int row = FindRow(id);
    if (row >= 0)
        DeleteRow(row);
}

int CListDownloadCtrl::FindRow(int id) const
{
    for (int row = 0; row < m_list->topLevelItemCount(); ++row) {
        const auto task = TaskAt(row);
        if (task && task->GetId() == id)
            return row;
    }
    return -1;
}

std::shared_ptr<CHTTPDownloadTask> CListDownloadCtrl::TaskAt(int row) const
{
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    if (!item)
        return nullptr;
    return item->data(0, kTaskRole).value<std::shared_ptr<CHTTPDownloadTask>>();
}

QString CListDownloadCtrl::SizeText(int64_t bytes)
{
    return Fixed2(double(bytes) / 1048576.0) + QStringLiteral("MB");
}

QString CListDownloadCtrl::ProgressText(int64_t received, int64_t length)
{
    return Fixed2(length == 0 ? 0.0 : double(received) / double(length) * 100.0);
}

QString CListDownloadCtrl::SpeedText(int64_t received, uint32_t elapsedMs)
{
    if (elapsedMs == 0)
        return QStringLiteral("0KB/S");
    return Fixed2(double(received) / double(elapsedMs)) + QStringLiteral("KB/S");
}

void CListDownloadCtrl::SetTexts(QTreeWidgetItem* item, const CHTTPDownloadTask& task) const
{
    const int64_t length = task.GetContentLength();
    const int64_t received = task.GetReceived();
    // Unsigned, so a tick count that wrapped still gives the time since.
    const uint32_t elapsed = m_ticks() - task.GetStartTick();
    item->setText(1, SizeText(length));
    item->setText(2, ProgressText(received, length));
    item->setText(3, SpeedText(received, elapsed));
}

void CListDownloadCtrl::OnItemClicked(QTreeWidgetItem* item, int column)
{
    if (column == kCancelColumn)
        DeleteRow(m_list->indexOfTopLevelItem(item));
}

void CListDownloadCtrl::DeleteRow(int row)
{
    if (row < 0)
        return;
    // The worker holds the task too: it sees the cancel, removes its partial
    // file and ends; its result notice then finds no row.
    if (const auto task = TaskAt(row))
        task->Cancel();
    delete m_list->takeTopLevelItem(row);
}
