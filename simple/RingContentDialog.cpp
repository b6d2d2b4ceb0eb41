#include "simple/RingContentDialog.h"

#include "platform/DlgCtrlId.h"

#include <QCheckBox>
#include <QVBoxLayout>

namespace Kelvo {

CRingContentDialog::CRingContentDialog(IMessageSink& messages, QWidget* parent)
    : CRingContentSaveToDialog(messages, QStringLiteral("铃音上传设置"),
                               QStringLiteral("选择上传内容"), parent),
      m_addBox(new QCheckBox(QStringLiteral("自动添加到我的铃音库"), this)),
      m_shareBox(new QCheckBox(QStringLiteral("愿意和其他人分享我的彩铃"), this))
{
    m_addBox->setChecked(m_addToLibrary);
    m_shareBox->setChecked(m_share);
    SetDlgCtrlID(m_addBox, 1045);
    SetDlgCtrlID(m_shareBox, 1060);
    OptionsLayout()->addWidget(m_addBox);
    OptionsLayout()->addWidget(m_shareBox);
    Skin();
}

void CRingContentDialog::ReadOptions()
{
    CRingContentSaveToDialog::ReadOptions();
    m_addToLibrary = m_addBox->isChecked();
    m_share = m_shareBox->isChecked();
}

} // namespace Kelvo
