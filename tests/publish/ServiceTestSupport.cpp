#include "tests/publish/ServiceTestSupport.h"

#include "publish/HTTPFormClient.h"
#include "publish/ServiceProtocol.h"

#include <QPixmap>
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
