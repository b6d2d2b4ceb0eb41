#include "publish/RingUploadDialog.h"

#include <QCheckBox>
#include <QVBoxLayout>

CRingUploadDialog::CRingUploadDialog(IMessageSink& messages, QWidget* parent)
    : CRingContentSaveToDialog(messages, QStringLiteral("对话框"),
                               QStringLiteral("铃音名称不能为空！"), parent),
      m_shareBox(new QCheckBox(QStringLiteral("愿意和其他人分享我的彩铃"), this))
{
    m_shareBox->setChecked(m_share);
    OptionsLayout()->addWidget(m_shareBox);
}

void CRingUploadDialog::ReadOptions()
{
    m_share = m_shareBox->isChecked();
}
