#include "publish/RingContentSaveToDialog.h"

#include "platform/DlgCtrlId.h"
#include "platform/IMessageSink.h"
#include "publish/RingNameRules.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CRingContentSaveToDialog::CRingContentSaveToDialog(IMessageSink& messages, QWidget* parent)
    : CRingContentSaveToDialog(messages, QStringLiteral("铃音保存设置"),
                               QStringLiteral("请输入铃音名称！"), parent)
{
}

CRingContentSaveToDialog::CRingContentSaveToDialog(IMessageSink& messages, const QString& caption,
                                                   const QString& emptyMessage, QWidget* parent)
    : QDialog(parent), m_messages(messages), m_emptyMessage(emptyMessage),
      m_nameEdit(new QLineEdit(this)), m_options(new QVBoxLayout)
{
    setWindowTitle(caption);
    m_nameEdit->setObjectName(QStringLiteral("nameEdit"));
    SetDlgCtrlID(m_nameEdit, 1029);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(QStringLiteral("铃音名称："), this));
    nameRow->addWidget(m_nameEdit, 1);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(nameRow);
    layout->addLayout(m_options);
    layout->addWidget(buttons);
    setMinimumWidth(320);
}

void CRingContentSaveToDialog::SetName(const QString& name)
{
    m_name = name;
    m_nameEdit->setText(name);
}

void CRingContentSaveToDialog::accept()
{
    ReadOptions();
    m_name = RingNameRules::Trimmed(m_nameEdit->text());
    const QString problem = RingNameRules::Problem(m_name, m_emptyMessage);
    if (!problem.isEmpty()) {
        m_messages.ShowMessage(problem);
        m_nameEdit->setFocus();
        return;
    }
    QDialog::accept();
}
