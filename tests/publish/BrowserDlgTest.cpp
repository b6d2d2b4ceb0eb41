#include "publish/BrowserDlg.h"
#include "publish/CurlShare.h"
#include "publish/HTTPFormClient.h"
#include "publish/RingHtmlView.h"
#include "publish/ServiceProtocol.h"
#include "tests/publish/RingServiceFixture.h"
#include "tests/publish/ServiceTestSupport.h"
#include "tests/support/TestEnvironment.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSignalSpy>
#include <QWebEnginePage>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const QString kMobile = QStringLiteral("13700137000");

// What a page sends through the web channel.
class PageProbe : public QObject
{
    Q_OBJECT
public:
    QStringList calls;
    Q_INVOKABLE void Hit(const QString& text) { calls.append(text); }
};

class BrowserDlgTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_service.IsRunning()) << m_service.StartError();
        ASSERT_TRUE(LogInThroughFormClient(m_service, kMobile));
    }

    RingServiceFixture m_service;
    ScopedServiceHost m_host{m_service.HostPort()};
};

const SharedCookie* Find(const std::vector<SharedCookie>& cookies, const std::string& name)
{
    const auto it = std::find_if(cookies.begin(), cookies.end(),
                                 [&name](const SharedCookie& c) { return c.name == name; });
    return it == cookies.end() ? nullptr : &*it;
}

TEST_F(BrowserDlgTest, TheShareHandsOutTheServicesCookies)
{
    // Another cookie, with a path and an expiry, set by a scripted reply.
    const auto setCookie = [this](const char* header) {
        CHTTPFormClient client;
        return m_service.Script({QJsonObject{{"path", "pub/monthinfo.me"},
                                             {"headers", QJsonObject{{"Set-Cookie", header}}}}}) &&
               SendServiceRequest(client, ServiceRequest{ServiceRequest::Method::Form,
                                                         ServiceUrl(ServicePath::kMonthInfo),
                                                         {{"x", "1"}},
                                                         {}});
    };
    ASSERT_TRUE(setCookie("pref=a.b; Path=/zuvo; Expires=Wed, 01 Jan 2031 00:00:00 GMT"));

    std::vector<SharedCookie> cookies = SharedCookies();
    const SharedCookie* session = Find(cookies, "ZUVOSESSION");
    ASSERT_NE(session, nullptr);
    const QJsonObject sessions = m_service.Control("state").value("sessions").toObject();
    EXPECT_EQ(sessions.value(QString::fromStdString(session->value)).toString(), kMobile);
    EXPECT_EQ(session->domain, "127.0.0.1");
    EXPECT_FALSE(session->includeSubdomains);
    EXPECT_EQ(session->path, "/");
    EXPECT_TRUE(session->httpOnly);
    EXPECT_FALSE(session->secure);
    EXPECT_EQ(session->expires, 0);

    const SharedCookie* pref = Find(cookies, "pref");
    ASSERT_NE(pref, nullptr);
    EXPECT_EQ(pref->value, "a.b");
    EXPECT_EQ(pref->path, "/zuvo");
    EXPECT_FALSE(pref->httpOnly);
    EXPECT_EQ(pref->expires, 1924992000);

    // The jar is the process's: the cookie is dropped again for later tests.
    ASSERT_TRUE(setCookie("pref=; Path=/zuvo; Max-Age=0"));
    cookies = SharedCookies();
    EXPECT_EQ(Find(cookies, "pref"), nullptr);
}

TEST_F(BrowserDlgTest, TheRingLibraryOpensLoggedIn)
{
    CBrowserDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Varenth彩铃Zuvo"));
    EXPECT_EQ(dialog.View(), nullptr) << "the web engine starts on the first page";
    dialog.show();

    const QString url = QString::fromStdString(ServiceUrl(ServicePath::kRingLibrary));
    dialog.Navigate(url);
    CRingHtmlView* view = dialog.View();
    ASSERT_NE(view, nullptr);
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    ASSERT_TRUE(loaded.wait(60000)) << "the page did not load";
    EXPECT_TRUE(loaded.front().front().toBool());

    // The service saw the form client's session on the page's first request.
    QJsonObject page;
    for (const QJsonObject& entry : m_service.Log())
        if (page.isEmpty() && entry.value("path").toString() == "/zuvo/person/client.me")
            page = entry;
    EXPECT_EQ(page.value("method").toString(), "GET");
    EXPECT_TRUE(page.value("cookie_sent").toBool());
    EXPECT_EQ(page.value("session_user").toString(), kMobile);
    QString text;
    view->page()->toPlainText([&text](const QString& plain) { text = plain; });
    ASSERT_TRUE(TestEnvironment::WaitFor([&text] { return !text.isEmpty(); }, 10000));
    EXPECT_TRUE(text.contains(kMobile)) << text;

    // Without a skin the page fills the whole window as it changes size.
    dialog.resize(500, 320);
    EXPECT_EQ(view->geometry(), QRect(0, 0, 500, 320));
    TestEnvironment::WaitFor([] { return false; }, 1000); // let the page paint
    KeepScreenshot(dialog, "browser-dialog");

    // The next ring library command navigates the same window again.
    const int before = static_cast<int>(m_service.Log().size());
    dialog.Navigate(url);
    EXPECT_EQ(dialog.View(), view);
    ASSERT_TRUE(loaded.wait(60000));
    EXPECT_GT(m_service.Log().size(), before);
    EXPECT_EQ(m_service.LastRequest("/zuvo/person/client.me").value("session_user").toString(),
              kMobile);

    // Closing hides the window; it stays for the next command.
    dialog.close();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.View(), view);
}

TEST_F(BrowserDlgTest, PagesReachTheRegisteredObjectsThroughTheChannel)
{
    CBrowserDlg dialog;
    PageProbe probe;
    // Given before the view exists, as the program does.
    dialog.RegisterPageObject(QStringLiteral("probe"), &probe);
    dialog.AddPageScript(QStringLiteral(
        "window.zuvoChannel.then(function (o) { o.probe.Hit('first ' + location.pathname); });"));
    dialog.show();
    ASSERT_TRUE(dialog.Navigate(QString::fromStdString(ServiceBaseUrl())));
    ASSERT_TRUE(TestEnvironment::WaitFor([&probe] { return !probe.calls.isEmpty(); }, 60000));
    EXPECT_EQ(probe.calls, QStringList{QStringLiteral("first /zuvo/")});

    // A script added once the view exists runs on the next documents, after
    // the earlier one.
    dialog.AddPageScript(
        QStringLiteral("window.zuvoChannel.then(function (o) { o.probe.Hit('second'); });"));
    probe.calls.clear();
    dialog.Navigate(QString::fromStdString(ServiceUrl(ServicePath::kMonthInfo)));
    ASSERT_TRUE(TestEnvironment::WaitFor([&probe] { return probe.calls.size() >= 2; }, 60000));
    EXPECT_EQ(probe.calls, (QStringList{QStringLiteral("first /zuvo/pub/monthinfo.me"),
                                        QStringLiteral("second")}));
}

} // namespace

#include "BrowserDlgTest.moc"
