#pragma once

#include <QDialog>
#include <QString>

class CServiceCall;
class IMessageSink;
class IUrlOpener;
class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;

// Shows the monthly-plan offer of a fee reply ("SHOWMONTHOPTION|...") and
// lets the user choose the monthly plan or paying per ring. Run modally by
// the fee query: the caller sets the captions, the explanation and the fee
// reply's go-on token, runs the dialog and goes on with the upload only when
// it ends Accepted with GoOn(). Cancel means stop.
//
// OK posts the user's answer to the service when it must (the monthly plan,
// or the do-not-remind box ticked) and ends the dialog when the reply is in;
// the request runs on a worker (CServiceCall) while the dialog keeps painting
// with its controls but Cancel disabled. Cancel calls the request off at once
// and stops; an answer that comes later is dropped. GUI thread only.
class CMonthOrderDialog : public QDialog
{
    Q_OBJECT
public:
    CMonthOrderDialog(IMessageSink& messages, IUrlOpener& urls, QWidget* parent = nullptr);
    ~CMonthOrderDialog() override;

    // The captions of the two choices, before the dialog is shown. Shown as
    // plain text.
    void SetMonthlyText(const QString& text) { m_monthlyText = text; }
    void SetPerUseText(const QString& text) { m_perUseText = text; }
    // The text above the choices, before the dialog is shown; plain text.
    void SetExplanation(const QString& text) { m_explanation = text; }
    // The offer's last token: "true" (in any case) lets a ring paid per ring
    // go on without posting an answer.
    void SetPerUseGoOn(const QString& token) { m_perUseGoOn = token; }

    // 0 = the monthly plan, 1 = pay per ring; read after the dialog ended.
    int Choice() const { return m_choice; }
    // The box "不再提示我开通包月" (not shown to the user).
    bool NoPrompt() const { return m_noPrompt; }
    // Whether the upload may go on, once the dialog ended with OK.
    bool GoOn() const { return m_goOn; }
    // The answer was refused with 401 or 403: the service forgot the login.
    bool LoginLost() const { return m_loginLost; }
    bool IsBusy() const;

    // Opens the service's monthly plan page in the default browser.
    void OnMonthInfo();

    // OK: reads the choice, posts the answer when it must.
    void accept() override;
    // Cancel, Escape and the close button: stop, calling off an answer being
    // posted.
    void reject() override;

protected:
    // Puts captions, explanation, choice and flag into the controls.
    void showEvent(QShowEvent* event) override;

private:
    void SetBusy(bool busy);
    void OnAnswerReply();

    IMessageSink& m_messages;
    IUrlOpener& m_urls;
    CServiceCall* m_call;
    QLabel* m_explanationLabel;
    QRadioButton* m_monthlyRadio;
    QRadioButton* m_perUseRadio;
    QCheckBox* m_noPromptBox;
    QPushButton* m_infoButton;
    QPushButton* m_okButton;
    QPushButton* m_cancelButton;

    bool m_noPrompt = false;
    int m_choice = 0;
    QString m_monthlyText;
    QString m_perUseText;
    QString m_explanation;
    QString m_perUseGoOn;
    bool m_goOn = false;
    bool m_loginLost = false;
};
