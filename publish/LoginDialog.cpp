#include "publish/LoginDialog.h"

#include "platform/DlgCtrlId.h"
#include "publish/ServiceCall.h"
#include "publish/ServiceProtocol.h"
#include "platform/IMessageSink.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <initializer_list>

namespace {

const char kMobileEmpty[] = "手机号码不能为空！";
const char kMobileWrong[] = "输入的手机号码不正确！";
const char kCodeEmpty[] = "校验码不能为空！";

constexpr int kMobileLength = 11;

// Eleven ASCII digits. The edit takes digits only, but text can still arrive
// by other ways (set programmatically, an input method), and the number is
// sent to the service as typed.
bool IsMobileNumber(const QString& mobile)
{
    if (mobile.size() != kMobileLength)
        return false;
    for (const QChar c : mobile) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

} // namespace

CLoginDialog::CLoginDialog(IMessageSink& messages, QWidget* parent, Edition edition)
    : QDialog(parent), m_messages(messages), m_call(new CServiceCall(this)),
      m_mobileEdit(new QLineEdit(this)), m_codeEdit(new QLineEdit(this)),
      m_valCodeButton(new QPushButton(QStringLiteral("免费获取验证码"), this)),
      m_okButton(new QPushButton(QStringLiteral("确定"), this)),
      m_cancelButton(new QPushButton(QStringLiteral("取消"), this))
{
    setWindowTitle(QStringLiteral("登录到彩铃Zuvo平台"));
    m_mobileEdit->setObjectName(QStringLiteral("mobileEdit"));
    m_codeEdit->setObjectName(QStringLiteral("codeEdit"));
    m_valCodeButton->setObjectName(QStringLiteral("valCodeButton"));
    // The identifiers the dialog skin's sections are named after.
    SetDlgCtrlID(m_mobileEdit, 1013);
    SetDlgCtrlID(m_codeEdit, 1014);
    SetDlgCtrlID(m_valCodeButton, 1024);
    // The number edit takes digits only, typed, pasted or dropped.
    m_mobileEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]*")), m_mobileEdit));
    m_mobileEdit->setMinimumWidth(150);
    m_valCodeButton->setAutoDefault(false);
    m_cancelButton->setAutoDefault(false);
    m_okButton->setDefault(true);

    QWidget* fields = this;
    QGroupBox* group = nullptr;
    if (edition == Edition::Brevanta) {
        group = new QGroupBox(QStringLiteral("登录信息"), this);
        fields = group;
    }
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("手机号码："), fields), 0, 0);
    grid->addWidget(m_mobileEdit, 0, 1);
    grid->addWidget(m_valCodeButton, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("验证码："), fields), 1, 0);
    grid->addWidget(m_codeEdit, 1, 1);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(m_okButton, QDialogButtonBox::AcceptRole);
    buttons->addButton(m_cancelButton, QDialogButtonBox::RejectRole);

    auto* layout = new QVBoxLayout(this);
    if (group) {
        group->setLayout(grid);
        layout->addWidget(group);
    } else {
        layout->addLayout(grid);
    }
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_valCodeButton, &QPushButton::clicked, this, &CLoginDialog::OnGetValCode);
    connect(buttons, &QDialogButtonBox::accepted, this, &CLoginDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CLoginDialog::reject);
    connect(m_call, &CServiceCall::Finished, this, &CLoginDialog::OnReply);
}

CLoginDialog::~CLoginDialog() = default;

bool CLoginDialog::IsBusy() const
{
    return m_call->IsBusy();
}

void CLoginDialog::accept()
{
    OnOK();
}

void CLoginDialog::reject()
{
    // The user is never kept waiting for a service that may not answer.
    if (IsBusy()) {
        m_call->Abandon();
        m_pending = Pending::None;
        SetBusy(false);
    }
    QDialog::reject();
}

void CLoginDialog::ReadControls()
{
    m_code = m_codeEdit->text();
    m_mobile = m_mobileEdit->text();
}

void CLoginDialog::OnGetValCode()
{
    if (IsBusy())
        return;
    ReadControls();
    m_mobile = m_mobile.trimmed();
    if (m_mobile.isEmpty()) {
        m_messages.ShowMessage(QString::fromUtf8(kMobileEmpty));
        return;
    }
    if (!IsMobileNumber(m_mobile)) {
        m_messages.ShowMessage(QString::fromUtf8(kMobileWrong));
        return;
    }
    m_pending = Pending::ValCode;
    SetBusy(true);
    m_call->Start(MakeValCodeRequest(m_mobile));
}

void CLoginDialog::OnOK()
{
    if (IsBusy())
        return;
    ReadControls();
    // The number's length is checked as typed; it is trimmed for the request.
    if (m_mobile.isEmpty()) {
        m_messages.ShowMessage(QString::fromUtf8(kMobileEmpty));
        return;
    }
    if (m_mobile.size() != kMobileLength || !IsMobileNumber(m_mobile.trimmed())) {
        m_messages.ShowMessage(QString::fromUtf8(kMobileWrong));
        return;
    }
    m_code = m_code.trimmed();
    if (m_code.isEmpty()) {
        m_messages.ShowMessage(QString::fromUtf8(kCodeEmpty));
        return;
    }
    m_mobile = m_mobile.trimmed();
    m_pending = Pending::Login;
    SetBusy(true);
    m_call->Start(MakeLoginRequest(m_mobile, m_code));
}

void CLoginDialog::SetBusy(bool busy)
{
    if (busy) {
        // Disabling the controls would move the keyboard focus; it is put back.
        m_focusBeforeRequest = focusWidget();
        setCursor(Qt::BusyCursor);
    } else {
        unsetCursor();
    }
    const std::initializer_list<QWidget*> controls = {m_mobileEdit, m_codeEdit, m_valCodeButton,
                                                      m_okButton};
    for (QWidget* control : controls)
        control->setEnabled(!busy);
    if (!busy && m_focusBeforeRequest)
        m_focusBeforeRequest->setFocus();
}

void CLoginDialog::OnReply()
{
    const Pending pending = m_pending;
    m_pending = Pending::None;
    SetBusy(false);
    if (pending == Pending::ValCode)
        OnValCodeReply();
    else if (pending == Pending::Login)
        OnLoginReply();
}

void CLoginDialog::OnValCodeReply()
{
    const ServiceReply& reply = m_call->Reply();
    m_messages.ShowMessage(ValCodeReplyMessage(reply.sent, reply.response, reply.charset));
    // A reply that is neither "sent" nor "failed" is the service talking to the
    // user (about the number, say); the code is the next thing to type.
    const QByteArray code = QByteArray::fromStdString(reply.response).trimmed();
    if (reply.sent && code != "0" && code != "1")
        m_codeEdit->setFocus();
}

void CLoginDialog::OnLoginReply()
{
    const ServiceReply& reply = m_call->Reply();
    const LoginOutcome outcome = ClassifyLoginReply(reply.sent, reply.response, reply.charset);
    if (outcome.loggedIn)
        m_loggedIn = true;
    else
        m_messages.ShowMessage(outcome.message);
    if (m_loggedIn)
        QDialog::accept();
}
