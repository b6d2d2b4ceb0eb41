#include "simple/ListResourceCtrl.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>

namespace {

// A 16 x 16 sheet of music with a wave: one downloaded material.
QIcon MaterialIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(14, 124, 134));
    painter.setBrush(QColor(212, 236, 238));
    painter.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 2, 2);
    QPainterPath wave;
    wave.moveTo(3, 8);
    wave.cubicTo(5, 2, 6, 2, 8, 8);
    wave.cubicTo(10, 14, 11, 14, 13, 8);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(14, 124, 134), 1.5));
    painter.drawPath(wave);
    return QIcon(pixmap);
}

} // namespace

CListResourceCtrl::CListResourceCtrl(QWidget* parent)
    : CRingFileList({QStringLiteral("您确定要将音乐素材：『%1』 删除吗?"),
                     QStringLiteral("您确定要将所选的 %1 项音乐素材删除吗"),
                     QStringLiteral("音乐素材『%1』删除失败！"),
                     QStringLiteral("音乐素材『%1』重命名失败！")},
                    parent)
{
}

void CListResourceCtrl::Init()
{
    setIconSize(QSize(16, 16));
    SetRowIcon(MaterialIcon());
    m_menu = new QMenu(QStringLiteral("KOX资源列表弹出菜单"), this);
    connect(m_menu->addAction(QStringLiteral("编辑为彩铃")), &QAction::triggered, this,
            &CListResourceCtrl::OnEditAsRing);
    m_menu->addSeparator();
    connect(m_menu->addAction(QStringLiteral("删除")), &QAction::triggered, this,
            &CListResourceCtrl::OnDelete);
    connect(m_menu->addAction(QStringLiteral("重命名")), &QAction::triggered, this,
            &CListResourceCtrl::OnRename);
}

QAction* CListResourceCtrl::MenuAction(Command command) const
{
    if (!m_menu)
        return nullptr;
    const QList<QAction*> actions = m_menu->actions(); // the separator is the second
    switch (command) {
    case Command::EditAsRing:
        return actions.at(0);
    case Command::Delete:
        return actions.at(2);
    case Command::Rename:
        return actions.at(3);
    }
    return nullptr;
}

QMenu* CListResourceCtrl::PrepareContextMenu(const QPoint& pos)
{
    if (!m_menu || !Remember(pos))
        return nullptr;
    MenuAction(Command::EditAsRing)->setEnabled(!IsBusy());
    return m_menu;
}

void CListResourceCtrl::contextMenuEvent(QContextMenuEvent* event)
{
    if (QMenu* menu = PrepareContextMenu(event->pos()))
        menu->popup(event->globalPos());
    event->accept();
}
