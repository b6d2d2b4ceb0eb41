#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

class CServiceCall;
class IMessageSink;
class QLineEdit;
class QPushButton;

// Logs the user in to the ring service: the mobile number, a verification
// code that the service sends by SMS (button "免费获取验证码"), then number and
// code. Run modally by the ring commands; on Accepted the caller reads
// IsLoggedIn() and Mobile(). The service's session cookie stays in the
// process's curl share, which every later request uses.
//
// The requests run on a worker (CServiceCall): while one runs, the dialog
// keeps painting with its controls but Cancel disabled. Cancel (Escape, the
// window's close button) calls the request off and ends the dialog at once;
// an answer that comes later is dropped. GUI thread only.
class CLoginDialog : public QDialog
{
    Q_OBJECT
public:
    // Brevanta's dialog frames its fields in the group "登录信息"; Kelvo's
    // has the same controls without the group (its owner skins it).
    enum class Edition { Brevanta, Kelvo };

    explicit CLoginDialog(IMessageSink& messages, QWidget* parent = nullptr,
                          Edition edition = Edition::Brevanta);
    ~CLoginDialog() override;

    bool IsLoggedIn() const { return m_loggedIn; }
    // The number as the last handler left it (trimmed after a sent request).
    QString Mobile() const { return m_mobile; }
    QString Code() const { return m_code; }
    bool IsBusy() const;

    // Asks the service to send a code to the number typed.
    void OnGetValCode();
    // Logs in with number and code; an accepted login ends the dialog.
    void OnOK();

    // OK and the Enter key.
    void accept() override;
    // Cancel, Escape and the window's close button; a running request is
    // called off.
    void reject() override;

private:
    enum class Pending { None, ValCode, Login };

    void ReadControls();
    void SetBusy(bool busy);
    void OnReply();
    void OnValCodeReply();
    void OnLoginReply();

    IMessageSink& m_messages;
    CServiceCall* m_call;
    QLineEdit* m_mobileEdit;
    QLineEdit* m_codeEdit;
    QPushButton* m_valCodeButton;
    QPushButton* m_okButton;
    QPushButton* m_cancelButton;
    QPointer<QWidget> m_focusBeforeRequest;
    Pending m_pending = Pending::None;

    QString m_code;
    QString m_mobile;
    bool m_loggedIn = false;
};
