#include "tests/publish/ServiceTestSupport.h"

#include "publish/HTTPFormClient.h"
#include "publish/LoginDialog.h"
#include "publish/ServiceProtocol.h"

#include <QLineEdit>
#include <QPixmap>
#include <QTest>
#include <QWidget>

ScopedServiceHost::ScopedServiceHost(const std::string& host)
{
    qputenv("ZUVO_SERVICE_HOST", QByteArray::fromStdString(host));
}

ScopedServiceHost::~ScopedServiceHost()
{
    qunsetenv("ZUVO_SERVICE_HOST");
}

bool LogInThroughFormClient(const RingServiceFixture& service, const QString& mobile)
{
    CHTTPFormClient codeClient;
    if (!SendServiceRequest(codeClient, MakeValCodeRequest(mobile)) ||
        codeClient.GetResponse() != "0")
        return false;
    CHTTPFormClient loginClient;
    return SendServiceRequest(loginClient, MakeLoginRequest(mobile, service.CodeFor(mobile))) &&
           loginClient.GetResponse() == "OK";
}

void KeepScreenshot(QWidget& widget, const QString& name)
{
    if (qEnvironmentVariableIsSet("ZUVO_SCREENSHOT_DIR"))
        widget.grab().save(qEnvironmentVariable("ZUVO_SCREENSHOT_DIR") + u'/' + name + ".png");
}

bool LogInThroughDialog(CLoginDialog& login, const RingServiceFixture& service,
                        const QString& mobile)
{
    login.findChild<QLineEdit*>("mobileEdit")->setText(mobile);
    login.OnGetValCode();
    if (!QTest::qWaitFor([&] { return !login.IsBusy(); }, 10000))
        return false;
    login.findChild<QLineEdit*>("codeEdit")->setText(service.CodeFor(mobile));
    login.OnOK();
    return QTest::qWaitFor([&] { return !login.IsBusy(); }, 10000) &&
           login.result() == QDialog::Accepted;
}
