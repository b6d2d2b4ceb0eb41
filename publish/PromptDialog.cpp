#include "publish/PromptDialog.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

CPromptDialog::CPromptDialog(QWidget* parent)
    : QDialog(parent), m_edit(new QLineEdit(this)), m_static(new QLabel(this)),
      m_title(QGuiApplication::applicationDisplayName()), m_prompt(QStringLiteral("提示信息："))
{
    setWindowTitle(QStringLiteral("Dialog"));
    m_static->setTextFormat(Qt::PlainText);
    m_static->setText(m_prompt);
    m_edit->setMinimumWidth(280);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &CPromptDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CPromptDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->addWidget(m_static);
    layout->addWidget(m_edit);
    layout->addSpacing(6);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CPromptDialog::accept()
{
    m_value = m_edit->text();
    QDialog::accept();
}

void CPromptDialog::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        setWindowTitle(m_title);
        m_static->setText(m_prompt);
        m_edit->setText(m_value);
        m_edit->selectAll();
        m_edit->setFocus();
    }
    QDialog::showEvent(event);
}
