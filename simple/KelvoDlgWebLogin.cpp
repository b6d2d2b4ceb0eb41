// The main dialog's share of the automation object: the login hand-over, the
// file handed over and the close a caller asked for. They wait for the top
// level: a question asked
// from inside another window's modal loop (the login dialog waiting for the
// service, a message box) would run that window's caller on under it, and a
// close from there would end the dialog beneath its child.
#include "simple/KelvoDlg.h"

#include "platform/IMessageSink.h"
#include "platform/IQuestionBox.h"
#include "publish/BrowserDlg.h"
#include "publish/ServiceCall.h"
#include "publish/ServiceProtocol.h"

#include <QApplication>
#include <QThread>
#include <QTimer>

#include <utility>

namespace {

// Hand-overs beyond these wait for nobody: a page repeating its call cannot
// pile up questions.
constexpr size_t kMaxQueuedWebLogins = 8;
constexpr int kDeferredPollMs = 50;

} // namespace

bool CKelvoDlg::AtTopLevel() const
{
    // The program's own loop is the first; a modal window runs another.
    return QApplication::activeModalWidget() == nullptr &&
           QThread::currentThread()->loopLevel() <= 1;
}

bool CKelvoDlg::WebLoginPending() const
{
    return !m_webLogins.empty() || (m_webLoginCall && m_webLoginCall->IsBusy());
}

void CKelvoDlg::QueueWebLogin(const QString& uid, const QString& ticket)
{
    if (m_closed || m_closeRequested || m_webLogins.size() >= kMaxQueuedWebLogins)
        return;
    m_webLogins.push_back({uid, ticket});
    StartDeferred();
}

void CKelvoDlg::QueueOpenFile(const QString& path)
{
    if (m_closed || m_closeRequested)
        return;
    if (AtTopLevel() && !m_busy.load() && m_pendingOpen.isEmpty()) {
        LoadMusicFile(path);
        return;
    }
    // Only the latest counts: each open replaces the music of the one before.
    m_pendingOpen = path;
    StartDeferred();
}

void CKelvoDlg::StartDeferred()
{
    if (!m_deferred) {
        m_deferred = new QTimer(this);
        m_deferred->setInterval(kDeferredPollMs);
        connect(m_deferred, &QTimer::timeout, this, &CKelvoDlg::RunDeferred);
    }
    m_deferred->start();
}

void CKelvoDlg::RequestClose()
{
    if (m_closed)
        return;
    m_closeRequested = true;
    m_webLogins.clear();
    m_pendingOpen.clear();
    StartDeferred();
}

void CKelvoDlg::RunDeferred()
{
    if (m_closed) {
        m_deferred->stop();
        return;
    }
    if (m_closeRequested) {
        // Each modal window ends as its Cancel would end it; its caller then
        // goes on and leaves its loop.
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != this) {
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            else
                modal->close();
            return;
        }
        if (!AtTopLevel() || m_busy.load())
            return;
        m_deferred->stop();
        m_closeRequested = false;
        if (m_webLoginCall)
            m_webLoginCall->Abandon();
        // As the close button does (it asks first when a voice would be lost).
        done(QDialog::Rejected);
        return;
    }
    // A file handed over waits for the ring command, the open or the modal
    // window of the moment.
    if (!m_pendingOpen.isEmpty() && AtTopLevel() && !m_busy.load())
        LoadMusicFile(std::exchange(m_pendingOpen, QString()));
    if (m_webLoginCall && m_webLoginCall->IsBusy()) {
        if (m_pendingOpen.isEmpty())
            m_deferred->stop(); // its reply starts the next
        return;
    }
    if (m_webLogins.empty()) {
        if (m_pendingOpen.isEmpty())
            m_deferred->stop();
        return;
    }
    if (!AtTopLevel())
        return;
    OnWebLogin();
}

void CKelvoDlg::OnWebLogin()
{
    const WebLogin next = m_webLogins.front();
    m_webLogins.pop_front();
    // The same user again: nothing to do.
    if (m_loggedIn && m_loginId == next.uid)
        return;
    if (m_loggedIn) {
        const QString question = QString::fromUtf8(ServiceText::kSwitchIdentity)
                                     .arg(ShownIdentity(m_loginId), ShownIdentity(next.uid));
        if (!m_questions.Ask(question, IQuestionBox::Buttons::YesNo))
            return;
        // The close may have been asked for while the question was up.
        if (m_closed || m_closeRequested)
            return;
    }
    m_webLogin = next;
    if (!m_webLoginCall) {
        m_webLoginCall = new CServiceCall(this);
        connect(m_webLoginCall, &CServiceCall::Finished, this, &CKelvoDlg::OnWebLoginReply);
    }
    m_webLoginCall->Start(MakeTicketLoginRequest(next.uid, next.ticket));
}

void CKelvoDlg::OnWebLoginReply()
{
    if (m_closed)
        return;
    const ServiceReply& reply = m_webLoginCall->Reply();
    const QString current = m_loggedIn ? m_loginId : QString();
    const LoginOutcome outcome = ClassifyTicketLoginReply(reply.sent, reply.status, reply.response,
                                                          m_webLogin.uid, current);
    if (outcome.loggedIn) {
        m_loggedIn = 1;
        m_loginId = m_webLogin.uid;
        // The web view's pages see the new session at once.
        m_browser->ShareSessionCookies();
    } else if (!outcome.message.isEmpty()) {
        m_messages.ShowMessage(outcome.message);
    }
    if (!m_webLogins.empty() && m_deferred)
        m_deferred->start();
}
