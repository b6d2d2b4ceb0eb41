#pragma once

#include "publish/HTTPFormClient.h"
#include "tests/publish/RingServiceFixture.h"
#include "platform/IMessageSink.h"
#include "platform/IUrlOpener.h"

#include <QJsonObject>
#include <QList>
#include <QStringList>
#include <QUrl>

#include <string>
#include <vector>

class CLoginDialog;
class QWidget;

// Records the messages a dialog shows instead of opening message boxes.
class RecordingMessageSink : public IMessageSink
{
public:
    void ShowMessage(const QString& text) override { messages.append(text); }
    QStringList messages;
};

// Records the addresses a dialog hands to the default browser.
class RecordingUrlOpener : public IUrlOpener
{
public:
    bool OpenUrl(const QUrl& url) override
    {
        urls.append(url);
        return true;
    }
    QList<QUrl> urls;
};

// Points the service address (ZUVO_SERVICE_HOST) at host for one scope.
class ScopedServiceHost
{
public:
    explicit ScopedServiceHost(const std::string& host);
    ~ScopedServiceHost();
    ScopedServiceHost(const ScopedServiceHost&) = delete;
    ScopedServiceHost& operator=(const ScopedServiceHost&) = delete;
};

// Sets the form client's timeouts for one scope, so a test need not wait out
// the real ones.
class ScopedTimeouts
{
public:
    explicit ScopedTimeouts(const CHTTPFormClient::Timeouts& timeouts)
        : m_saved(CHTTPFormClient::GetTimeouts())
    {
        CHTTPFormClient::SetTimeouts(timeouts);
    }
    ~ScopedTimeouts() { CHTTPFormClient::SetTimeouts(m_saved); }
    ScopedTimeouts(const ScopedTimeouts&) = delete;
    ScopedTimeouts& operator=(const ScopedTimeouts&) = delete;

private:
    CHTTPFormClient::Timeouts m_saved;
};

// Logs mobile in to the stand-in through the form client (code request, then
// the login with the code the stand-in issued); the session cookie lands in
// the process's curl share. ZUVO_SERVICE_HOST must point at the stand-in.
bool LogInThroughFormClient(const RingServiceFixture& service, const QString& mobile);

// Logs mobile in through the login dialog as the user would: types the number,
// asks for the code, types the code the stand-in issued and presses OK; true
// once the dialog accepted. What the dialog said is the caller's to check.
bool LogInThroughDialog(CLoginDialog& login, const RingServiceFixture& service,
                        const QString& mobile);

// Saves what widget shows as NAME.png in ZUVO_SCREENSHOT_DIR when that is set.
void KeepScreenshot(QWidget& widget, const QString& name);

// How a ring upload command meets a login the service lost, as both
// programs' ring tests run it against the stand-in (already logged in once).
struct LostLoginCase
{
    const char* what;
    bool forget;         // the stand-in forgets every session (as after a restart)
    bool refuseUpload;   // the upload itself is answered 403 once
    bool cancelLogin;    // the login offered is cancelled
    QStringList dialogs; // run after the command's upload dialog
    QStringList messages;
    int uploads; // requests to the upload path
};
std::vector<LostLoginCase> LostLoginCases();
// Makes the stand-in lose the login as c says.
bool PrepareLostLogin(const RingServiceFixture& service, const LostLoginCase& c);
// Prints each request's path, status and saved files to the test's log.
void PrintRequests(const QList<QJsonObject>& requests);
// The upload request went through for mobile with ringName as its name.
void ExpectUploadedAs(const QJsonObject& upload, const QString& mobile, const QString& ringName);
