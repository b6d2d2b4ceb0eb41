#include "tests/publish/ServiceTestSupport.h"

#include "publish/HTTPFormClient.h"
#include "publish/LoginDialog.h"
#include "publish/ServiceProtocol.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QPixmap>
#include <QTest>
#include <QWidget>

#include <iostream>

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

std::vector<LostLoginCase> LostLoginCases()
{
    const QString notLoggedIn = QStringLiteral("请先登录！");
    const QString done = QStringLiteral("彩铃上传成功！");
    return {
        {"fee query refused",
         true,
         false,
         false,
         {"CLoginDialog", "CMonthOrderDialog"},
         {notLoggedIn, done},
         1},
        {"upload refused",
         false,
         true,
         false,
         {"CMonthOrderDialog", "CLoginDialog"},
         {notLoggedIn, done},
         2},
        {"login cancelled", true, false, true, {"CLoginDialog"}, {notLoggedIn}, 0},
    };
}

bool PrepareLostLogin(const RingServiceFixture& service, const LostLoginCase& c)
{
    if (c.forget && !service.Control("forget")["ok"].toBool())
        return false;
    if (c.refuseUpload)
        return service.Script(QJsonArray{QJsonObject{{"path", "person/add_ringLibZuvo.me"},
                                                     {"status", 403},
                                                     {"body", QStringLiteral("请先登录！")},
                                                     {"times", 1}}});
    return true;
}

void ExpectUploadedAs(const QJsonObject& upload, const QString& mobile, const QString& ringName)
{
    EXPECT_EQ(upload["status"].toInt(), 200);
    EXPECT_EQ(upload["session_user"].toString(), mobile);
    for (const QJsonValue& part : upload["parts"].toArray())
        if (part["name"].toString() == "ringLibZuvo.name")
            EXPECT_EQ(part["value"].toString().toLatin1(), ringName.toUtf8());
}

void PrintRequests(const QList<QJsonObject>& requests)
{
    for (const QJsonObject& request : requests)
        std::cout << "[ service log ] "
                  << QJsonDocument(QJsonObject{{"path", request["path"]},
                                               {"status", request["status"]},
                                               {"saved", request["saved"]}})
                         .toJson(QJsonDocument::Compact)
                         .toStdString()
                  << '\n';
}
