#include "editor/TaskListBox.h"

#include <QMouseEvent>

CTaskListBox::CTaskListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::MultiSelection);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

void CTaskListBox::SetHover(int n)
{
    m_hover = n;
    for (int i = 0; i < count(); ++i)
        item(i)->setSelected(i <= n);
    emit hoverChanged(n);
}

int CTaskListBox::ItemFromPoint(const QPoint& pos) const
{
    if (count() == 0)
        return -1;
    const QModelIndex index = indexAt(pos);
    if (index.isValid())
        return index.row();
    if (pos.y() < visualItemRect(item(0)).top())
        return 0;
    if (pos.y() > visualItemRect(item(count() - 1)).bottom())
        return count() - 1;
    return m_hover;
}

void CTaskListBox::mouseMoveEvent(QMouseEvent* event)
{
    const int n = ItemFromPoint(event->position().toPoint());
    if (n >= 0 && n != m_hover)
        SetHover(n);
    QListWidget::mouseMoveEvent(event);
}

void CTaskListBox::mousePressEvent(QMouseEvent* event)
{
    // The click chooses; it does not change the selection.
    if (event->button() == Qt::LeftButton)
        emit chosen(m_hover);
    event->accept();
}

void CTaskListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
}
