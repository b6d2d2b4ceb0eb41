// The automation object's three calls through the application object, as the
// bus and the web view deliver them, against the stand-in ring service.
#include "tests/simple/KelvoFixture.h"

#include "publish/BrowserDlg.h"
#include "publish/RingHtmlView.h"
#include "publish/ServiceProtocol.h"
#include "simple/KelvoObject.h"
#include "simple/KelvoPageObject.h"
#include "simple/ListDownloadCtrl.h"
#include "tests/publish/RingServiceFixture.h"
#include "tests/publish/ServiceTestSupport.h"
#include "voice/Brevanta.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

#include <sys/stat.h>

namespace {

const QString kFirst = QStringLiteral("13800000000");
const QString kSecond = QStringLiteral("13900000000");

struct KelvoObjectTest : KelvoFixture
{
    void SetUp() override
    {
        ASSERT_TRUE(service.IsRunning()) << service.StartError();
        ASSERT_EQ(Start(), CKelvoApp::Start::Run);
        object = std::make_unique<CKelvoObject>(*app);
    }
    void TearDown() override
    {
        object.reset();
        app.reset();
    }
    QString Ticket(const QString& uid) const
    {
        return service.Control("ticket", QJsonObject{{"uid", uid}}).value("ticket").toString();
    }
    QList<QJsonObject> Logins() const
    {
        QList<QJsonObject> logins;
        for (const QJsonObject& entry : service.Log())
            if (entry.value("path").toString() == "/zuvo/login.me")
                logins << entry;
        return logins;
    }
    // Waits until the hand-overs queued so far have run out.
    void Settle() const
    {
        ASSERT_TRUE(TestEnvironment::WaitFor([this] { return !Dlg()->WebLoginPending(); }, 20000));
    }

    RingServiceFixture service;
    ScopedServiceHost host{service.HostPort()};
    std::unique_ptr<CKelvoObject> object;
};

TEST_F(KelvoObjectTest, HandOversLogInAskBeforeSwitchingAndKeepTheLoginOnFailure)
{
    const QString ticket = Ticket(kFirst);
    object->SetUserInfo(kFirst, ticket);
    Settle();
    QList<QJsonObject> logins = Logins();
    ASSERT_EQ(logins.size(), 1);
    EXPECT_EQ(logins[0].value("form").toArray(),
              (QJsonArray{QJsonArray{"loginid", kFirst}, QJsonArray{"ticket", ticket},
                          QJsonArray{"client", "true"}}));
    EXPECT_EQ(logins[0].value("login").toString(), kFirst);
    EXPECT_TRUE(Dlg()->IsLoggedIn());
    EXPECT_EQ(Dlg()->LoginId(), kFirst);
    EXPECT_EQ(app->GetUid(), kFirst);
    EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join('\n').toStdString();
    // The ring commands need no login dialog now.
    bool dialogRan = false;
    Dlg()->SetDialogRunner([&dialogRan](QDialog&) { return dialogRan = true, false; });
    EXPECT_TRUE(Dlg()->EnsureLoggedIn());
    EXPECT_FALSE(dialogRan);

    // The same user again: nothing is sent, nothing asked.
    object->SetUserInfo(kFirst, Ticket(kFirst));
    Settle();
    EXPECT_EQ(Logins().size(), 1);
    EXPECT_TRUE(questions.asked.isEmpty());

    const QString question =
        QString::fromUtf8("彩铃Zuvo已经用13800000000身份登录到Zuvo服务器，您现在要用新的"
                          "13900000000身份登录到Zuvo服务器吗?");
    // Another user, answered No: nothing sent, the login stays.
    questions.okAnswers = {false};
    object->SetUserInfo(kSecond, Ticket(kSecond));
    Settle();
    EXPECT_EQ(questions.asked, QStringList{question});
    EXPECT_EQ(Logins().size(), 1);
    EXPECT_EQ(Dlg()->LoginId(), kFirst);

    // Yes with a ticket the service never issued, then a server error: each
    // says so and keeps the first user.
    struct Failure
    {
        QJsonArray script;
        const char* message;
    };
    const Failure failures[] = {
        {{},
         "彩铃Zuvo用新的13900000000身份登录到Zuvo服务器时失败，彩铃Zuvo将使用原来的"
         "13800000000身份。"},
        {{QJsonObject{{"path", "login.me"}, {"status", 500}}},
         "彩铃Zuvo用新的13900000000身份登录到Zuvo服务器时发送数据失败，彩铃Zuvo将使用原来的"
         "13800000000身份。"},
    };
    for (const Failure& failure : failures) {
        ASSERT_TRUE(service.Script(failure.script));
        questions.okAnswers = {true};
        messages.messages.clear();
        object->SetUserInfo(kSecond, QStringLiteral("not-a-ticket"));
        Settle();
        EXPECT_EQ(messages.messages, QStringList{QString::fromUtf8(failure.message)});
        EXPECT_EQ(Dlg()->LoginId(), kFirst);
        EXPECT_TRUE(Dlg()->IsLoggedIn());
    }

    // An empty reply with status 200 logs the new user in.
    ASSERT_TRUE(service.Script({QJsonObject{{"path", "login.me"}, {"status", 200}}}));
    questions.okAnswers = {true};
    messages.messages.clear();
    object->SetUserInfo(kSecond, QStringLiteral("any"));
    Settle();
    EXPECT_EQ(Dlg()->LoginId(), kSecond);
    EXPECT_TRUE(messages.messages.isEmpty());
    EXPECT_EQ(Logins().size(), 4);
}

TEST_F(KelvoObjectTest, HandOversWaitForAModalWindowAndRunOneAtATime)
{
    // The first is still waiting for the service when the second comes.
    ASSERT_TRUE(service.Script({QJsonObject{{"path", "login.me"}, {"delay", 1.0}}}));
    // A modal window is up: nothing is asked or sent until it has gone.
    QMessageBox box(QMessageBox::Information, "x", "modal", QMessageBox::Ok, Dlg());
    box.setWindowModality(Qt::ApplicationModal);
    QTimer::singleShot(0, &box, [&] {
        object->SetUserInfo(kFirst, Ticket(kFirst));
        object->SetUserInfo(kSecond, Ticket(kSecond));
        TestEnvironment::WaitFor([] { return false; }, 400);
        EXPECT_TRUE(Logins().isEmpty()) << "a hand-over ran inside the box's loop";
        box.accept();
    });
    box.exec();
    questions.okAnswers = {true};
    ASSERT_TRUE(TestEnvironment::WaitFor([this] { return Logins().size() == 2; }, 20000));
    Settle();
    const QList<QJsonObject> logins = Logins();
    // The second was sent once the first had its (delayed) answer.
    EXPECT_GE(logins[1].value("time").toDouble() - logins[0].value("time").toDouble(), 0.9);
    EXPECT_EQ(Dlg()->LoginId(), kSecond);
    EXPECT_EQ(questions.asked.size(), 1);
}

TEST_F(KelvoObjectTest, OpenFileStartsTheOpenAndRefusesWhatIsNoRegularFile)
{
    // A FIFO nobody writes to would hold any reader for ever.
    const QString fifo = TestEnvironment::DataHome() + "/pipe";
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& path : {fifo, TestEnvironment::DataHome()}) {
        messages.messages.clear();
        QElapsedTimer timer;
        timer.start();
        object->OpenFile(path);
        EXPECT_LT(timer.elapsed(), 1000);
        EXPECT_FALSE(Dlg()->BusyFlag().load()) << path.toStdString();
        ASSERT_TRUE(TestEnvironment::WaitFor([this] { return !messages.messages.isEmpty(); }));
        EXPECT_EQ(messages.messages, QStringList{QString::fromUtf8("打开文件失败！")});
    }

    // A real song is being opened when the call returns.
    const QString song = TestEnvironment::DataHome() + QString::fromUtf8("/测试 歌曲.wav");
    QProcess sox;
    sox.start("sox",
              {"-n", "-r", "44100", "-c", "2", "-b", "16", song, "synth", "2", "sine", "440"});
    ASSERT_TRUE(sox.waitForFinished(20000) && sox.exitCode() == 0);
    object->OpenFile(song);
    EXPECT_TRUE(Dlg()->BusyFlag().load() || Dlg()->Editor()->IsMusicLoaded());
    ASSERT_TRUE(
        TestEnvironment::WaitFor([this] { return Dlg()->Editor()->IsMusicLoaded(); }, 20000));
    EXPECT_EQ(Dlg()->Editor()->GetMusicPath(), song);

    // While a modal window is up (a ring dialog, the save dialog) the file
    // waits for it; the latest of two is opened once it has gone.
    const QString other = TestEnvironment::DataHome() + QString::fromUtf8("/另一首.wav");
    ASSERT_TRUE(QFile::copy(song, other));
    QMessageBox box(QMessageBox::Information, "x", "modal", QMessageBox::Ok, Dlg());
    box.setWindowModality(Qt::ApplicationModal);
    QTimer::singleShot(0, &box, [&] {
        object->OpenFile(song);
        object->OpenFile(other);
        TestEnvironment::WaitFor([] { return false; }, 300);
        EXPECT_FALSE(Dlg()->Editor()->IsOpening()) << "an open ran inside the box's loop";
        EXPECT_EQ(Dlg()->Editor()->GetMusicPath(), song);
        box.accept();
    });
    box.exec();
    ASSERT_TRUE(TestEnvironment::WaitFor(
        [this, &other] {
            return !Dlg()->Editor()->IsOpening() && Dlg()->Editor()->GetMusicPath() == other;
        },
        20000));
}

// The program's own loop, as QApplication::exec runs it, with a modal window's
// loop inside: CloseApp is called from there. Tells whether the dialog had
// closed while the modal window's caller was still on the stack.
bool CloseFromInside(CKelvoDlg& dialog, CKelvoObject& object,
                     const std::function<void()>& runModal)
{
    bool closedUnder = false;
    bool modalEnded = false;
    QEventLoop program;
    QObject::connect(&dialog, &QDialog::finished, &program, &QEventLoop::quit);
    QTimer::singleShot(20000, &program, &QEventLoop::quit);
    QTimer::singleShot(0, &program, [&] {
        QTimer::singleShot(300, &dialog, [&] {
            EXPECT_NE(QApplication::activeModalWidget(), nullptr) << "no modal window to end";
            object.CloseApp();
            TestEnvironment::WaitFor([] { return false; }, 300);
            closedUnder = dialog.IsClosed();
        });
        runModal();
        modalEnded = true;
        closedUnder = closedUnder || dialog.IsClosed();
    });
    program.exec();
    EXPECT_TRUE(modalEnded);
    return closedUnder;
}

TEST_F(KelvoObjectTest, CloseAppEndsAMessageBoxFirstAndSavesTheVolumes)
{
    QMessageBox box(QMessageBox::Question, "x", "modal", QMessageBox::Ok, Dlg());
    box.setWindowModality(Qt::ApplicationModal);
    EXPECT_FALSE(CloseFromInside(*Dlg(), *object, [&box] { box.exec(); }))
        << "the dialog closed while its child ran";
    EXPECT_TRUE(Dlg()->IsClosed());
    EXPECT_EQ(Conf().value("RecVol"), "0");
    EXPECT_EQ(Conf().value("MusicVol"), "0");
}

TEST_F(KelvoObjectTest, CloseAppEndsTheLoginDialogOfTheRingLibraryFirst)
{
    // The ring library asks for the login in its modal dialog.
    EXPECT_FALSE(CloseFromInside(*Dlg(), *object, [this] { Dlg()->OnRingManagement(); }));
    EXPECT_TRUE(Dlg()->IsClosed());
    EXPECT_FALSE(Dlg()->IsLoggedIn());
    EXPECT_EQ(Conf().value("RecVol"), "0");
}

TEST_F(KelvoObjectTest, OnlyTheServicesPagesReachTheObject)
{
    const QString base = QString::fromStdString(ServiceBaseUrl());
    const QUrl service(base);
    struct Case
    {
        QString url;
        bool accepted;
    };
    const Case cases[] = {
        {base + "pub/handover.me?uid=1", true},
        {"http://" + service.host().toUpper() + ":" + QString::number(service.port()) + "/x",
         true},
        {"https://" + service.authority() + "/zuvo/", false},
        {"http://localhost:" + QString::number(service.port()) + "/zuvo/", false},
        {"http://" + service.host() + ":" + QString::number(service.port() + 1) + "/zuvo/", false},
        {"http://" + service.host() + "/zuvo/", false},
        {"file:///zuvo/pub/handover.me", false},
        {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CKelvoPageObject::IsServicePage(QUrl(c.url)), c.accepted) << c.url.toStdString();

    // A foreign page's calls do nothing at all.
    QUrl shown(QStringLiteral("http://elsewhere.example/"));
    CKelvoPageObject page(*app, [&shown] { return shown; });
    page.SetUserInfo(kFirst, Ticket(kFirst));
    page.OpenFile(TestEnvironment::DataHome());
    page.CloseApp();
    TestEnvironment::WaitFor([] { return false; }, 300);
    EXPECT_TRUE(Logins().isEmpty());
    EXPECT_TRUE(messages.messages.isEmpty());
    EXPECT_FALSE(Dlg()->IsClosed());
    shown = QUrl(base);
    page.SetUserInfo(kFirst, Ticket(kFirst));
    Settle();
    EXPECT_EQ(Dlg()->LoginId(), kFirst);
}

TEST_F(KelvoObjectTest, TheHandOverPageLogsInOnlyUnderTheServicesHost)
{
    CBrowserDlg* browser = Dlg()->Browser();
    browser->show();
    const QString page = QStringLiteral("pub/handover.me?uid=") + kFirst;
    ASSERT_TRUE(browser->Navigate(QString::fromStdString(ServiceBaseUrl()) + page));
    ASSERT_TRUE(TestEnvironment::WaitFor([this] { return Dlg()->LoginId() == kFirst; }, 60000));
    const QList<QJsonObject> logins = Logins();
    ASSERT_EQ(logins.size(), 1);
    EXPECT_EQ(logins[0].value("login").toString(), kFirst) << "with the ticket the page got";
    TestEnvironment::WaitFor([] { return false; }, 800); // let the page paint
    KeepScreenshot(*browser, "hand-over-page");

    // The same page under another name of the same machine is not the service.
    const QString other = QStringLiteral("http://localhost:%1/zuvo/pub/handover.me?uid=%2")
                              .arg(service.Port())
                              .arg(kSecond);
    ASSERT_TRUE(browser->Navigate(other));
    ASSERT_TRUE(TestEnvironment::WaitFor(
        [this] {
            for (const QJsonObject& entry : service.Log())
                if (entry.value("ticket_issued").toObject().value("uid").toString() == kSecond)
                    return true;
            return false;
        },
        60000));
    TestEnvironment::WaitFor([] { return false; }, 1500); // time for a call to arrive
    EXPECT_EQ(Logins().size(), 1);
    EXPECT_EQ(Dlg()->LoginId(), kFirst);
    EXPECT_TRUE(questions.asked.isEmpty());
}

// A service page may hold a frame from another host (an advertisement, a
// page it embeds). That frame gets neither the channel nor the link hook: its
// script finds what it can and calls the three methods and a download with
// it, and nothing happens.
TEST_F(KelvoObjectTest, AFrameFromAnotherHostInsideAServicePageReachesNothing)
{
    const QString song = TestEnvironment::DataHome() + "/framed.wav";
    QProcess sox;
    sox.start("sox",
              {"-n", "-r", "8000", "-c", "1", "-b", "16", song, "synth", "1", "sine", "440"});
    ASSERT_TRUE(sox.waitForFinished(20000) && sox.exitCode() == 0);
    const QString foreignBase = QStringLiteral("http://localhost:%1/zuvo/").arg(service.Port());
    const QString link = "http://down=" + QString::fromStdString(service.Url("pub/material.me")) +
                         "?id=0&name=framed";
    const QString ticket = Ticket(kFirst);
    // What the frame finds is reported back to the stand-in by image requests.
    const QString foreign =
        "<!DOCTYPE html><html><body><a id=\"a\" href=\"" + link + "\">material</a><script>" +
        CRingHtmlView::ChannelClientScript() +
        "\nfunction report(what) { new Image().src = '/zuvo/report.me?' + what; }\n"
        "function call(objects) {\n"
        "  var o = objects.KelvoObject, d = objects.KelvoDownload;\n"
        "  if (o) { o.SetUserInfo('" +
        kFirst + "', '" + ticket + "'); o.OpenFile('" + song +
        "'); }\n"
        "  if (d) d.Download('" +
        link +
        "');\n"
        "  if (o) o.CloseApp();\n"
        "  report('called=' + !!o + !!d);\n"
        "}\n"
        "var found = [];\n"
        "if (typeof qt !== 'undefined' && qt.webChannelTransport) {\n"
        "  found.push('transport');\n"
        "  new QWebChannel(qt.webChannelTransport, function (c) { call(c.objects); });\n"
        "}\n"
        "if (window.zuvoChannel) { found.push('own'); window.zuvoChannel.then(call); }\n"
        "try { top.zuvoChannel.then(call); found.push('top'); } catch (e) {}\n"
        "document.getElementById('a').click();\n"
        "report('found=' + found.join('+'));\n"
        "</script></body></html>";
    const QString page = "<!DOCTYPE html><html><body><p>service</p><iframe src=\"" + foreignBase +
                         "pub/foreign.me\" width=\"300\" height=\"100\"></iframe></body></html>";
    ASSERT_TRUE(service.Script(
        {QJsonObject{{"path", "pub/framed.me"}, {"body", page}, {"content_type", "text/html"}},
         QJsonObject{
             {"path", "pub/foreign.me"}, {"body", foreign}, {"content_type", "text/html"}}}));

    CBrowserDlg* browser = Dlg()->Browser();
    browser->show();
    ASSERT_TRUE(browser->Navigate(QString::fromStdString(ServiceBaseUrl()) + "pub/framed.me"));
    const auto reports = [this] {
        QStringList queries;
        for (const QJsonObject& entry : service.RequestsTo("/zuvo/report.me"))
            queries << entry.value("query").toString();
        return queries;
    };
    ASSERT_TRUE(TestEnvironment::WaitFor(
        [&] { return !reports().filter(QRegularExpression("^found=")).isEmpty(); }, 60000));
    TestEnvironment::WaitFor([] { return false; }, 1500); // time for a call to arrive
    // No transport, no channel of its own, the top's out of reach: no call made.
    EXPECT_EQ(reports(), QStringList{"found="});
    EXPECT_TRUE(service.RequestsTo("/zuvo/pub/material.me").isEmpty());
    EXPECT_EQ(Dlg()->Downloads()->List()->topLevelItemCount(), 0);
    EXPECT_TRUE(Logins().isEmpty());
    EXPECT_FALSE(Dlg()->IsLoggedIn());
    EXPECT_NE(Dlg()->Editor()->GetMusicPath(), song);
    EXPECT_FALSE(Dlg()->BusyFlag().load());
    EXPECT_FALSE(Dlg()->IsClosed());
    EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join('\n').toStdString();
}

} // namespace
