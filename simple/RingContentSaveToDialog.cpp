#include "simple/RingContentSaveToDialog.h"

#include "platform/DlgCtrlId.h"
#include "publish/RingJob.h"
#include "skin/SkinWin.h"
#include "skin/ThemeLocator.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace Kelvo {

CRingContentSaveToDialog::CRingContentSaveToDialog(IMessageSink& messages, QWidget* parent)
    : CRingContentSaveToDialog(messages, QStringLiteral("铃音保存设置"),
                               QStringLiteral("选择保存内容"), parent)
{
    Skin();
}

CRingContentSaveToDialog::CRingContentSaveToDialog(IMessageSink& messages, const QString& caption,
                                                   const QString& groupTitle, QWidget* parent)
    : ::CRingContentSaveToDialog(messages, caption, QStringLiteral("请输入铃音名称！"), parent),
      m_group(new QGroupBox(groupTitle, this)),
      m_radios{new QRadioButton(QStringLiteral("素材音乐"), m_group),
               new QRadioButton(QStringLiteral("录音数据"), m_group),
               new QRadioButton(QStringLiteral("铃音合成"), m_group)}
{
    // The group reads the theme's plain "GroupBox" section.
    SetDlgCtrlID(m_group, -1);
    auto* row = new QHBoxLayout(m_group);
    for (int i = 0; i < 3; ++i) {
        SetDlgCtrlID(m_radios[i], 1042 + i);
        row->addWidget(m_radios[i]);
    }
    OptionsLayout()->addWidget(m_group);
    SetContent(CRingJob::Mix);
}

void CRingContentSaveToDialog::ApplyDialogSkin(QDialog& dialog)
{
    ApplySkin(ThemeLocator::Find(QStringLiteral("skin/dlgstyle/theme.ini")), &dialog);
}

void CRingContentSaveToDialog::SetContent(int content)
{
    m_content = content;
    if (QRadioButton* radio = ContentRadio(content))
        radio->setChecked(true);
}

QRadioButton* CRingContentSaveToDialog::ContentRadio(int content) const
{
    return content >= 0 && content < 3 ? m_radios[content] : nullptr;
}

void CRingContentSaveToDialog::ReadOptions()
{
    for (int i = 0; i < 3; ++i) {
        if (m_radios[i]->isChecked())
            m_content = i;
    }
}

} // namespace Kelvo
