#include "simple/RingContentChoice.h"

#include "platform/DlgCtrlId.h"
#include "publish/RingJob.h"

#include <QHBoxLayout>
#include <QRadioButton>

namespace Kelvo {

CRingContentChoice::CRingContentChoice(const QString& title, QWidget* parent)
    : QGroupBox(title, parent), m_radios{new QRadioButton(QStringLiteral("素材音乐"), this),
                                         new QRadioButton(QStringLiteral("录音数据"), this),
                                         new QRadioButton(QStringLiteral("铃音合成"), this)}
{
    // The group reads the theme's plain "GroupBox" section.
    SetDlgCtrlID(this, -1);
    auto* row = new QHBoxLayout(this);
    for (int i = 0; i < 3; ++i) {
        SetDlgCtrlID(m_radios[i], 1042 + i);
        row->addWidget(m_radios[i]);
    }
    SetContent(CRingJob::Mix);
}

void CRingContentChoice::SetContent(int content)
{
    m_content = content;
    if (QRadioButton* radio = Radio(content))
        radio->setChecked(true);
}

QRadioButton* CRingContentChoice::Radio(int content) const
{
    return content >= 0 && content < 3 ? m_radios[content] : nullptr;
}

void CRingContentChoice::Read()
{
    for (int i = 0; i < 3; ++i) {
        if (m_radios[i]->isChecked())
            m_content = i;
    }
}

} // namespace Kelvo
