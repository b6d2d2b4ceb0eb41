#include "publish/RingContentDialog.h"

#include "platform/DlgCtrlId.h"

#include <QCheckBox>
#include <QVBoxLayout>

CRingContentDialog::CRingContentDialog(IMessageSink& messages, QWidget* parent)
    : CRingContentDialog(messages, 1026, parent)
{
}

CRingContentDialog::CRingContentDialog(IMessageSink& messages, int addBoxId, QWidget* parent)
    : CRingContentSaveToDialog(messages, QStringLiteral("铃音上传设置"),
                               QStringLiteral("请输入铃音名称！"), parent),
      m_addBox(new QCheckBox(QStringLiteral("自动添加到我的铃音库"), this)),
      m_shareBox(new QCheckBox(QStringLiteral("愿意和其他人分享我的彩铃"), this))
{
    m_addBox->setChecked(m_addToLibrary);
    m_shareBox->setChecked(m_share);
    SetDlgCtrlID(m_addBox, addBoxId);
    SetDlgCtrlID(m_shareBox, 1060);
    OptionsLayout()->addWidget(m_addBox);
    OptionsLayout()->addWidget(m_shareBox);
}

void CRingContentDialog::ReadOptions()
{
    m_addToLibrary = m_addBox->isChecked();
    m_share = m_shareBox->isChecked();
}
