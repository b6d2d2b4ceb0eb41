#include "editor/TaskListDialog.h"

#include "editor/TaskListBox.h"

#include <QLabel>

CTaskListDialog::CTaskListDialog(QWidget* parent)
    : QDialog(parent, Qt::Popup), m_list(new CTaskListBox(this)), m_count(new QLabel(this))
{
    // Clicking the arrow again closes the list instead of reopening it.
    setAttribute(Qt::WA_NoMouseReplay);
    m_count->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    connect(m_list, &CTaskListBox::hoverChanged, this, &CTaskListDialog::OnHover);
    connect(m_list, &CTaskListBox::chosen, this, &CTaskListDialog::OnChosen);
    resize(200, 250);
}

void CTaskListDialog::ResetContent()
{
    m_list->clear();
}

void CTaskListDialog::AddItem(const QString& text)
{
    m_list->addItem(text);
}

void CTaskListDialog::SetHover(int n)
{
    m_list->SetHover(n);
}

QString CTaskListDialog::CountText() const
{
    return m_count->text();
}

void CTaskListDialog::OnHover(int n)
{
    m_count->setText(
        (m_mode == Undo ? QStringLiteral("选择了%1项撤销") : QStringLiteral("选择了%1项重做"))
            .arg(n + 1));
}

void CTaskListDialog::OnChosen(int n)
{
    hide();
    if (n < 0)
        return;
    if (m_mode == Undo)
        emit undoSteps(n);
    else
        emit redoSteps(n);
}

void CTaskListDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const int cx = width();
    const int cy = height();
    m_list->setGeometry(QRect(QPoint(5, 5), QPoint(cx - 5, cy - 30)));
    m_count->setGeometry(QRect(QPoint(5, cy - 25), QPoint(cx - 5, cy - 5)));
}
