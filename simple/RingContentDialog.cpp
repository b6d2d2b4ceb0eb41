#include "simple/RingContentDialog.h"

#include "simple/RingContentChoice.h"
#include "simple/RingContentSaveToDialog.h"

#include <QVBoxLayout>

namespace Kelvo {

namespace {

constexpr int kAddToLibraryBoxId = 1045;

} // namespace

CRingContentDialog::CRingContentDialog(IMessageSink& messages, QWidget* parent)
    : ::CRingContentDialog(messages, kAddToLibraryBoxId, parent),
      m_choice(new CRingContentChoice(QStringLiteral("选择上传内容"), this))
{
    OptionsLayout()->insertWidget(0, m_choice);
    Kelvo::CRingContentSaveToDialog::ApplyDialogSkin(*this);
}

int CRingContentDialog::Content() const
{
    return m_choice->Content();
}

void CRingContentDialog::ReadOptions()
{
    ::CRingContentDialog::ReadOptions();
    m_choice->Read();
}

} // namespace Kelvo
