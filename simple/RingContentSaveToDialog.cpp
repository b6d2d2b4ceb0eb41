#include "simple/RingContentSaveToDialog.h"

#include "simple/RingContentChoice.h"
#include "skin/SkinWin.h"
#include "skin/ThemeLocator.h"

#include <QVBoxLayout>

namespace Kelvo {

CRingContentSaveToDialog::CRingContentSaveToDialog(IMessageSink& messages, QWidget* parent)
    : ::CRingContentSaveToDialog(messages, parent),
      m_choice(new CRingContentChoice(QStringLiteral("选择保存内容"), this))
{
    OptionsLayout()->addWidget(m_choice);
    ApplyDialogSkin(*this);
}

void CRingContentSaveToDialog::ApplyDialogSkin(QDialog& dialog)
{
    ApplySkin(ThemeLocator::Find(QStringLiteral("skin/dlgstyle/theme.ini")), &dialog);
}

int CRingContentSaveToDialog::Content() const
{
    return m_choice->Content();
}

void CRingContentSaveToDialog::ReadOptions()
{
    m_choice->Read();
}

} // namespace Kelvo
