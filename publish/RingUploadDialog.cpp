#include "publish/RingUploadDialog.h"

#include "platform/DlgCtrlId.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QVBoxLayout>

CRingUploadDialog::CRingUploadDialog(IMessageSink& messages, QWidget* parent)
    : CRingContentSaveToDialog(messages, QStringLiteral("对话框"),
                               QStringLiteral("铃音名称不能为空！"), parent),
      m_shareBox(new QCheckBox(QStringLiteral("愿意和其他人分享我的彩铃"), this))
{
    m_shareBox->setChecked(m_share);
    SetDlgCtrlID(m_shareBox, 1060);
    // This dialog's name field has an identifier of its own.
    SetDlgCtrlID(findChild<QLineEdit*>(QStringLiteral("nameEdit")), 1062);
    OptionsLayout()->addWidget(m_shareBox);
}

void CRingUploadDialog::ReadOptions()
{
    m_share = m_shareBox->isChecked();
}
