#include "publish/ListMyRing.h"

#include "publish/RingJobGlobals.h"

#include <QContextMenuEvent>
#include <QDrag>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QUrl>

namespace {

// A 16 x 16 note on a disc: one ring of the library.
QIcon RingIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(30, 90, 160));
    painter.setBrush(QColor(120, 180, 240));
    painter.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(4, 9, 4.5, 3.5));
    painter.drawRect(QRectF(7, 3, 1.5, 7.5));
    QPainterPath flag;
    flag.moveTo(8.5, 3);
    flag.lineTo(12, 5);
    flag.lineTo(8.5, 6.5);
    painter.drawPath(flag);
    return QIcon(pixmap);
}

} // namespace

CListMyRing::CListMyRing(QWidget* parent)
    : CRingFileList({QStringLiteral("您确定要将铃音：『%1』 删除吗?"),
                     QStringLiteral("您确定要将所选的 %1 项铃音删除吗"),
                     QStringLiteral("铃音『%1』删除失败！"),
                     QStringLiteral("铃音『%1』重命名失败！")},
                    parent)
{
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
    SetBusyTest([] { return g_bRingJobBusy.load() != 0; });
}

CListMyRing::~CListMyRing()
{
    if (g_pRingList == this)
        g_pRingList = nullptr;
}

void CListMyRing::Init()
{
    setIconSize(QSize(16, 16));
    SetRowIcon(RingIcon());
    m_menu = new QMenu(QStringLiteral("我的铃音库列表弹出菜单"), this);
    connect(m_menu->addAction(QStringLiteral("上传")), &QAction::triggered, this,
            &CListMyRing::OnRingUpload);
    connect(m_menu->addAction(QStringLiteral("编辑")), &QAction::triggered, this,
            &CListMyRing::OnRingEdit);
    m_menu->addSeparator();
    connect(m_menu->addAction(QStringLiteral("删除")), &QAction::triggered, this,
            &CListMyRing::OnRingDelete);
    connect(m_menu->addAction(QStringLiteral("重命名")), &QAction::triggered, this,
            &CListMyRing::OnRingRename);
}

QAction* CListMyRing::MenuAction(Command command) const
{
    if (!m_menu)
        return nullptr;
    const QList<QAction*> actions = m_menu->actions(); // the separator is the third
    switch (command) {
    case Command::Upload:
        return actions.at(0);
    case Command::Edit:
        return actions.at(1);
    case Command::Delete:
        return actions.at(3);
    case Command::Rename:
        return actions.at(4);
    }
    return nullptr;
}

QMenu* CListMyRing::PrepareContextMenu(const QPoint& pos)
{
    if (!m_menu || !Remember(pos))
        return nullptr;
    MenuAction(Command::Upload)->setEnabled(!IsBusy());
    return m_menu;
}

void CListMyRing::contextMenuEvent(QContextMenuEvent* event)
{
    if (QMenu* menu = PrepareContextMenu(event->pos()))
        menu->popup(event->globalPos());
    event->accept();
}

void CListMyRing::OnRingUpload()
{
    const QListWidgetItem* item = RememberedItem();
    if (item && m_upload)
        m_upload(item->text(), PathOf(item));
}

std::unique_ptr<QMimeData> CListMyRing::DragData(int row) const
{
    const QListWidgetItem* it = item(row);
    if (!it)
        return nullptr;
    auto data = std::make_unique<QMimeData>();
    data->setUrls({QUrl::fromLocalFile(PathOf(it))});
    return data;
}

void CListMyRing::startDrag(Qt::DropActions)
{
    QListWidgetItem* dragged = currentItem();
    if (!dragged)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(DragData(row(dragged)).release());
    drag->setPixmap(RowIcon().pixmap(16, 16));
    drag->exec(Qt::CopyAction);
}
