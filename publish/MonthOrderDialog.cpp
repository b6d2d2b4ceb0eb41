#include "publish/MonthOrderDialog.h"

#include "platform/DlgCtrlId.h"
#include "publish/ServiceCall.h"
#include "publish/ServiceProtocol.h"
#include "platform/IMessageSink.h"
#include "platform/IUrlOpener.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QUrl>
#include <QVBoxLayout>

#include <initializer_list>

namespace {

// A button caption shows '&' as a mnemonic marker; service text is shown as
// it came.
QString PlainCaption(QString text)
{
    return text.replace(u'&', QStringLiteral("&&"));
}

// The service writes line breaks the Windows way.
QString PlainLines(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

CMonthOrderDialog::CMonthOrderDialog(IMessageSink& messages, IUrlOpener& urls, QWidget* parent)
    : QDialog(parent), m_messages(messages), m_urls(urls), m_call(new CServiceCall(this)),
      m_explanationLabel(new QLabel(this)),
      m_monthlyRadio(
          new QRadioButton(QStringLiteral("开通Zuvo包月，2元/月，免费无限量上传"), this)),
      m_perUseRadio(new QRadioButton(QStringLiteral("使用计次，2元/首"), this)),
      m_noPromptBox(new QCheckBox(QStringLiteral("不再提示我开通包月"), this)),
      m_infoButton(new QPushButton(QStringLiteral("告诉我什么是彩铃Zuvo业务"), this)),
      m_okButton(new QPushButton(QStringLiteral("确定"), this)),
      m_cancelButton(new QPushButton(QStringLiteral("取消"), this))
{
    setWindowTitle(QStringLiteral("对话框"));
    m_explanationLabel->setObjectName(QStringLiteral("explanation"));
    m_monthlyRadio->setObjectName(QStringLiteral("monthlyRadio"));
    m_perUseRadio->setObjectName(QStringLiteral("perUseRadio"));
    m_noPromptBox->setObjectName(QStringLiteral("noPromptBox"));
    m_infoButton->setObjectName(QStringLiteral("monthInfoButton"));
    // The identifiers the dialog skin's sections are named after.
    SetDlgCtrlID(m_explanationLabel, 1068);
    SetDlgCtrlID(m_monthlyRadio, 1064);
    SetDlgCtrlID(m_perUseRadio, 1065);
    SetDlgCtrlID(m_noPromptBox, 1066);
    SetDlgCtrlID(m_infoButton, 1063);

    m_explanationLabel->setTextFormat(Qt::PlainText);
    m_explanationLabel->setWordWrap(true);
    m_explanationLabel->setText(PlainLines(QStringLiteral(
        "    您目前不是我们的包月用户，本首Zuvo铃音如成功成为可用彩铃将产生2元费用！\r\n"
        "    成为我们的包月用户，可以免费上传Zuvo彩铃了！")));
    m_explanationLabel->setFixedWidth(380);
    // The template keeps this box hidden: the user is always asked again.
    m_noPromptBox->setVisible(false);
    m_infoButton->setAutoDefault(false);
    m_cancelButton->setAutoDefault(false);
    m_okButton->setDefault(true);

    auto* group = new QGroupBox(QStringLiteral("Zuvo选项"), this);
    auto* choices = new QVBoxLayout(group);
    choices->addWidget(m_monthlyRadio);
    choices->addWidget(m_perUseRadio);
    choices->addWidget(m_noPromptBox);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(m_okButton, QDialogButtonBox::AcceptRole);
    buttons->addButton(m_cancelButton, QDialogButtonBox::RejectRole);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_infoButton);
    bottom->addStretch();
    bottom->addWidget(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_explanationLabel);
    layout->addWidget(group);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_infoButton, &QPushButton::clicked, this, &CMonthOrderDialog::OnMonthInfo);
    connect(buttons, &QDialogButtonBox::accepted, this, &CMonthOrderDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CMonthOrderDialog::reject);
    connect(m_call, &CServiceCall::Finished, this, &CMonthOrderDialog::OnAnswerReply);
}

CMonthOrderDialog::~CMonthOrderDialog() = default;

bool CMonthOrderDialog::IsBusy() const
{
    return m_call->IsBusy();
}

void CMonthOrderDialog::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        m_monthlyRadio->setText(PlainCaption(m_monthlyText));
        m_perUseRadio->setText(PlainCaption(m_perUseText));
        m_explanationLabel->setText(PlainLines(m_explanation));
        (m_choice == 0 ? m_monthlyRadio : m_perUseRadio)->setChecked(true);
        m_noPromptBox->setChecked(m_noPrompt);
    }
    QDialog::showEvent(event);
}

void CMonthOrderDialog::OnMonthInfo()
{
    m_urls.OpenUrl(QUrl(QString::fromStdString(ServiceUrl(ServicePath::kMonthInfo))));
}

void CMonthOrderDialog::accept()
{
    if (IsBusy())
        return;
    m_choice = m_perUseRadio->isChecked() ? 1 : 0;
    m_noPrompt = m_noPromptBox->isChecked();
    const MonthOrderStep step = DecideMonthOrder(m_choice == 0, m_noPrompt, m_perUseGoOn);
    if (!step.postAnswer) {
        m_goOn = step.goOn;
        QDialog::accept();
        return;
    }
    SetBusy(true);
    m_call->Start(MakeMonthOrderRequest(step.order, step.noPrompt));
}

void CMonthOrderDialog::reject()
{
    if (IsBusy()) {
        m_call->Abandon();
        SetBusy(false);
    }
    m_goOn = false;
    QDialog::reject();
}

void CMonthOrderDialog::SetBusy(bool busy)
{
    if (busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
    const std::initializer_list<QWidget*> controls = {m_monthlyRadio, m_perUseRadio, m_noPromptBox,
                                                      m_infoButton, m_okButton};
    for (QWidget* control : controls)
        control->setEnabled(!busy);
}

void CMonthOrderDialog::OnAnswerReply()
{
    SetBusy(false);
    const ServiceReply& reply = m_call->Reply();
    m_loginLost = IsLoginLost(reply.status);
    if (m_loginLost) {
        m_goOn = false;
        m_messages.ShowMessage(LoginLostMessage(reply.response, reply.charset));
        QDialog::accept();
        return;
    }
    const MonthOrderOutcome outcome =
        ClassifyMonthOrderReply(reply.sent, reply.response, reply.charset);
    m_goOn = outcome.goOn;
    if (!outcome.message.isEmpty())
        m_messages.ShowMessage(outcome.message);
    QDialog::accept();
}
