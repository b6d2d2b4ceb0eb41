#include "publish/HTTPFormClient.h"
#include "publish/LoginDialog.h"
#include "publish/ServiceProtocol.h"
#include "tests/publish/RingServiceFixture.h"
#include "tests/publish/ServiceTestSupport.h"
#include "tests/support/TestEnvironment.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const QString kMobile = QStringLiteral("13800138000");

QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QByteArray Describe(const QJsonObject& rule)
{
    return QJsonDocument(rule).toJson(QJsonDocument::Compact);
}

class LoginDialogTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_service.IsRunning()) << m_service.StartError();
        m_dialog.open();
    }

    QLineEdit* MobileEdit() { return m_dialog.findChild<QLineEdit*>("mobileEdit"); }
    QLineEdit* CodeEdit() { return m_dialog.findChild<QLineEdit*>("codeEdit"); }
    QPushButton* CodeButton() { return m_dialog.findChild<QPushButton*>("valCodeButton"); }
    QPushButton* Button(const char* text)
    {
        for (QPushButton* button : m_dialog.findChildren<QPushButton*>())
            if (button->text() == Text(text))
                return button;
        return nullptr;
    }
    // Waits until the running request's reply has been handled.
    bool WaitForReply()
    {
        return TestEnvironment::WaitFor([this] { return !m_dialog.IsBusy(); }, 20000);
    }
    int Requests(const QString& path) const
    {
        int count = 0;
        for (const QJsonObject& entry : m_service.Log())
            count += entry.value("path").toString() == path;
        return count;
    }
    // Scripts the login's reply, sends a login and waits for its reply.
    bool LogInAgainst(QJsonObject rule)
    {
        rule["path"] = "login.me";
        if (!m_service.Script({rule}))
            return false;
        m_messages.messages.clear();
        MobileEdit()->setText(kMobile);
        CodeEdit()->setText("123456");
        m_dialog.OnOK();
        return WaitForReply();
    }
    QJsonArray Form(const QJsonObject& request) const { return request.value("form").toArray(); }

    RingServiceFixture m_service;
    ScopedServiceHost m_host{m_service.HostPort()};
    RecordingMessageSink m_messages;
    CLoginDialog m_dialog{m_messages};
};

TEST_F(LoginDialogTest, LoginLoopAgainstTheService)
{
    EXPECT_EQ(m_dialog.windowTitle(), Text("登录到彩铃Zuvo平台"));
    EXPECT_FALSE(m_dialog.IsLoggedIn());
    // The fee query before logging in is refused.
    CHTTPFormClient before;
    EXPECT_FALSE(SendServiceRequest(before, MakeFeeQueryRequest()));

    QTest::keyClicks(MobileEdit(), kMobile);
    QTest::mouseClick(CodeButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitForReply());
    EXPECT_EQ(m_messages.messages, QStringList{Text("验证码发送成功，请注意查收！")});
    const QJsonObject codeRequest = m_service.LastRequest("/zuvo/pub/getValCode.me");
    EXPECT_EQ(Form(codeRequest), (QJsonArray{QJsonArray{"mobile", kMobile}}));
    const QString code = m_service.CodeFor(kMobile);
    ASSERT_EQ(code.size(), 6);

    // A wrong code: the service's words, the dialog stays open for another try.
    m_messages.messages.clear();
    const QString wrong = QString::number((code.toInt() + 1) % 1000000).rightJustified(6, u'0');
    QTest::keyClicks(CodeEdit(), wrong);
    QTest::keyClick(CodeEdit(), Qt::Key_Return);
    EXPECT_TRUE(m_dialog.IsBusy());
    ASSERT_TRUE(WaitForReply());
    EXPECT_EQ(m_messages.messages, QStringList{Text("验证码错误，请重新获取验证码！")});
    EXPECT_TRUE(m_dialog.isVisible());
    EXPECT_FALSE(m_dialog.IsLoggedIn());

    // The right one, with spaces around it: trimmed, accepted, the dialog ends.
    m_messages.messages.clear();
    CodeEdit()->setText(" " + code + " ");
    KeepScreenshot(m_dialog, "login-dialog");
    QTest::mouseClick(Button("确定"), Qt::LeftButton);
    ASSERT_TRUE(WaitForReply());
    EXPECT_TRUE(m_messages.messages.isEmpty()) << m_messages.messages.join('\n');
    EXPECT_TRUE(m_dialog.IsLoggedIn());
    EXPECT_EQ(m_dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(m_dialog.isVisible());
    EXPECT_EQ(m_dialog.Mobile(), kMobile);
    const QJsonObject login = m_service.LastRequest("/zuvo/login.me");
    EXPECT_EQ(Form(login),
              (QJsonArray{QJsonArray{"loginid", kMobile}, QJsonArray{"password", code},
                          QJsonArray{"client", "true"}}));
    EXPECT_EQ(login.value("login").toString(), kMobile);

    // The session rides on the fee query, as on every later request.
    CHTTPFormClient fee;
    ASSERT_TRUE(SendServiceRequest(fee, MakeFeeQueryRequest())) << fee.GetErrorText();
    const QJsonObject feeRequest = m_service.LastRequest("/zuvo/person/fee_ringLibZuvo.me");
    EXPECT_TRUE(feeRequest.value("cookie_sent").toBool());
    EXPECT_EQ(feeRequest.value("session_user").toString(), kMobile);
}

TEST_F(LoginDialogTest, InputIsCheckedBeforeAnyRequest)
{
    const QString empty = Text("手机号码不能为空！");
    const QString wrong = Text("输入的手机号码不正确！");
    struct Case
    {
        const char* mobile;
        const char* code;
        bool login; // OK, else the code button
        QString message;
    };
    const Case cases[] = {
        {"", "123456", true, empty},
        {"", "", false, empty},
        {"   ", "", false, empty},                // trimmed for the code request
        {"1380013800", "123456", true, wrong},    // 10 digits
        {"138001380001", "123456", false, wrong}, // 12 digits
        {"1380013800", "", false, wrong},
        {"13800138000", "   ", true, Text("校验码不能为空！")},
        {"13800138000", "", true, Text("校验码不能为空！")},
        {" 1380013800", "123456", true, wrong}, // 11 characters, 10 digits
        {"1380013800x", "123456", true, wrong}, // not digits
        {"1380013800x", "", false, wrong},
        {"１３８００１３８０００", "123456", true, wrong}, // full-width digits
    };
    for (const Case& c : cases) {
        m_messages.messages.clear();
        // Set directly: the edit itself takes digits only (below).
        MobileEdit()->setText(Text(c.mobile));
        CodeEdit()->setText(Text(c.code));
        if (c.login)
            m_dialog.OnOK();
        else
            m_dialog.OnGetValCode();
        EXPECT_FALSE(m_dialog.IsBusy()) << c.mobile;
        EXPECT_EQ(m_messages.messages, QStringList{c.message}) << c.mobile << "|" << c.code;
        EXPECT_TRUE(m_dialog.isVisible());
    }
    EXPECT_TRUE(m_service.Log().isEmpty()) << "no request went out";

    // Typing, pasting or dropping anything but digits into the number does nothing.
    MobileEdit()->clear();
    QTest::keyClicks(MobileEdit(), "13a8 0-0.");
    EXPECT_EQ(MobileEdit()->text(), "13800");
}

TEST_F(LoginDialogTest, CodeRepliesAreShownAndMoveTheFocusOnlyForServiceText)
{
    struct Case
    {
        QJsonObject rule;
        QString message;
        bool focusToCode;
    };
    const Case cases[] = {
        {{{"body", "0\r\n"}}, Text("验证码发送成功，请注意查收！"), false},
        {{{"body", " 1 "}}, Text("发送验证码失败，请联系管理员！"), false},
        {{{"body", Text("该号码不是本网用户 <b>%s</b>")}},
         Text("该号码不是本网用户 <b>%s</b>"),
         true},
        {{{"body", Text("号码已停机")}, {"charset", "gbk"}}, Text("号码已停机"), true},
        {{{"status", 500}, {"body", "0"}}, Text("发送数据失败！"), false},
        {{{"cut", true}, {"body", "0 and more bytes"}}, Text("发送数据失败！"), false},
    };
    MobileEdit()->setText(kMobile);
    for (const Case& c : cases) {
        QJsonObject rule = c.rule;
        rule["path"] = "pub/getValCode.me";
        ASSERT_TRUE(m_service.Script({rule}));
        m_messages.messages.clear();
        MobileEdit()->setFocus();
        m_dialog.OnGetValCode();
        ASSERT_TRUE(m_dialog.IsBusy());
        EXPECT_FALSE(CodeButton()->isEnabled());
        ASSERT_TRUE(WaitForReply());
        EXPECT_TRUE(CodeButton()->isEnabled());
        EXPECT_EQ(m_messages.messages, QStringList{c.message}) << Describe(c.rule);
        EXPECT_EQ(m_dialog.focusWidget(), c.focusToCode ? CodeEdit() : MobileEdit())
            << Describe(c.rule);
    }
}

TEST_F(LoginDialogTest, LoginRepliesDecideWhetherTheDialogEnds)
{
    struct Case
    {
        QJsonObject rule;
        bool loggedIn;
        QString message;
    };
    const Case cases[] = {
        {{{"status", 500}, {"body", "OK"}}, false, Text("发送数据失败！")},
        {{{"body", " OK"}}, false, " OK"},
        {{{"body", Text("账号已冻结 %d%n")}, {"charset", "gbk"}}, false, Text("账号已冻结 %d%n")},
        // Cut in its head, without end, or far too long: no reply came.
        {{{"body", "OK"}, {"head_bytes", 17}}, false, Text("发送数据失败！")},
        {{{"body", "OK"}, {"head_bytes", 40}}, false, Text("发送数据失败！")},
        {{{"body", "OK"}, {"endless", true}}, false, Text("发送数据失败！")},
        {{{"body", "OK"}, {"fill", 2 << 20}}, false, Text("发送数据失败！")},
        {{{"body", "ok, welcome"}}, true, QString()},
        {{{"body", ""}}, true, QString()},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(LogInAgainst(c.rule));
        EXPECT_EQ(m_dialog.IsLoggedIn(), c.loggedIn) << Describe(c.rule);
        EXPECT_EQ(m_dialog.isVisible(), !c.loggedIn) << Describe(c.rule);
        EXPECT_EQ(m_messages.messages, c.message.isNull() ? QStringList() : QStringList{c.message})
            << Describe(c.rule);
        if (c.loggedIn)
            m_dialog.open();
    }
}

TEST_F(LoginDialogTest, ADeadOrTricklingServiceFailsAtTheDeadline)
{
    CHTTPFormClient::Timeouts quick;
    quick.formDeadlineMs = 1000;
    const ScopedTimeouts timeouts(quick);
    const QJsonObject rules[] = {
        {{"stall", 60}},
        {{"body", QString("OK") + QString(100, 'x')}, {"slow", 0.5}},
    };
    for (const QJsonObject& c : rules) {
        ASSERT_TRUE(LogInAgainst(c)) << Describe(c);
        EXPECT_FALSE(m_dialog.IsLoggedIn()) << Describe(c);
        EXPECT_EQ(m_messages.messages, QStringList{Text("发送数据失败！")}) << Describe(c);
        EXPECT_TRUE(m_dialog.isVisible());
    }
}

TEST_F(LoginDialogTest, WaitingKeepsTheWindowAliveAndCancelEndsItAtOnce)
{
    // A service that would log the user in, but only after a while.
    ASSERT_TRUE(
        m_service.Script({QJsonObject{{"path", "login.me"}, {"delay", 1.5}, {"body", "OK"}}}));
    MobileEdit()->setText(kMobile);
    CodeEdit()->setText("123456");
    m_dialog.OnOK();
    ASSERT_TRUE(m_dialog.IsBusy());
    EXPECT_FALSE(Button("确定")->isEnabled());
    EXPECT_TRUE(Button("取消")->isEnabled());

    // The GUI thread goes on running timers while the service thinks.
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(50);
    TestEnvironment::WaitFor([] { return false; }, 500);
    EXPECT_GE(ticks, 3);

    QTest::mouseClick(Button("取消"), Qt::LeftButton);
    EXPECT_FALSE(m_dialog.isVisible());
    EXPECT_EQ(m_dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(m_dialog.IsBusy());
    // Whatever the service says later is not heard: the user stays logged out.
    TestEnvironment::WaitFor([] { return false; }, 2000);
    EXPECT_FALSE(m_dialog.IsLoggedIn());
    EXPECT_TRUE(m_messages.messages.isEmpty()) << m_messages.messages.join('\n');

    // Opened again, the dialog sends anew; Escape calls a request off too.
    m_dialog.open();
    m_dialog.OnOK();
    ASSERT_TRUE(m_dialog.IsBusy());
    QTest::keyClick(&m_dialog, Qt::Key_Escape);
    EXPECT_FALSE(m_dialog.isVisible());
    EXPECT_FALSE(m_dialog.IsBusy());

    m_dialog.open();
    ASSERT_TRUE(m_service.Script({QJsonObject{{"path", "login.me"}, {"body", "OK"}}}));
    m_dialog.OnOK();
    ASSERT_TRUE(WaitForReply());
    EXPECT_TRUE(m_dialog.IsLoggedIn());
    EXPECT_EQ(m_dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(m_messages.messages.isEmpty()) << m_messages.messages.join('\n');
}

} // namespace
