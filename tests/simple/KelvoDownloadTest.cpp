// Downloads of material as the main dialog runs them, against the stand-in
// ring service: the finished file, its name, the failures, cancel and close.
#include "tests/simple/KelvoFixture.h"

#include "publish/BrowserDlg.h"
#include "publish/HTTPDownloadTask.h"
#include "publish/RingHtmlView.h"
#include "simple/ListDownloadCtrl.h"
#include "simple/ListResourceCtrl.h"
#include "tests/publish/RingServiceFixture.h"
#include "tests/publish/ServiceTestSupport.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>

namespace {

QString Md5sum(const QString& path)
{
    QProcess md5;
    md5.start("md5sum", {path});
    EXPECT_TRUE(md5.waitForFinished(10000));
    return QString::fromLatin1(md5.readAllStandardOutput()).section(' ', 0, 0);
}

struct KelvoDownload : KelvoFixture
{
    void SetUp() override
    {
        ASSERT_TRUE(service.IsRunning()) << service.StartError().toStdString();
        ASSERT_EQ(Start(), CKelvoApp::Start::Run);
        QDir().mkpath(TempFiles());
    }
    static QString TempFiles() { return TestEnvironment::DataHome() + "/VazoZedu/TempFiles/"; }
    QTreeWidget* Rows() const { return Dlg()->Downloads()->List(); }
    QString Link(const std::string& path, const QString& name) const
    {
        return "http://down=" + QString::fromStdString(service.Url(path)) + "&name=" + name;
    }
    // Events go on meanwhile, as in the program.
    static bool WaitFor(const std::function<bool()>& done, int ms = 10000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < ms)
            QTest::qWait(10);
        return done();
    }
    bool WaitForWorkers(int ms = 10000)
    {
        return WaitFor([this] { return Dlg()->RunningDownloads() == 0; }, ms);
    }
    // Every file in TempFiles, hidden ones too.
    static QStringList FilesInTempFiles()
    {
        return QDir(TempFiles()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QStringList MaterialRows() const
    {
        QStringList names;
        for (int row = 0; row < Dlg()->Materials()->count(); ++row)
            names << Dlg()->Materials()->RingName(row);
        return names;
    }
    // The stand-in's own material file of that title.
    QString MaterialFile(const QString& title) const
    {
        return service.DataDir() + "/material/" + title + ".wav";
    }

    RingServiceFixture service;
    ScopedServiceHost host{service.HostPort()};
};

TEST_F(KelvoDownload, TheSongListsLinkBecomesAMaterialTwiceUnderTwoNames)
{
    const auto page = service.Get("/zuvo/pub/songlist.me");
    ASSERT_EQ(page.status, 200);
    const QRegularExpressionMatch href =
        QRegularExpression(R"(href="(http://down=[^"]*)\">午后小调<)")
            .match(QString::fromUtf8(page.body));
    ASSERT_TRUE(href.hasMatch()) << page.body.toStdString();
    const QString link = href.captured(1).replace("&amp;", "&");

    Dlg()->OnDownloadLink(link);
    // The row at once; the message only once the caller has returned.
    ASSERT_EQ(Rows()->topLevelItemCount(), 1);
    EXPECT_EQ(Rows()->topLevelItem(0)->text(0), "午后小调");
    EXPECT_TRUE(messages.messages.isEmpty());
    ASSERT_TRUE(WaitForWorkers());
    QTest::qWait(20);
    EXPECT_EQ(messages.messages, QStringList{"『午后小调』已经添加到下载队列中！"});
    EXPECT_EQ(Rows()->topLevelItemCount(), 0);
    EXPECT_EQ(FilesInTempFiles(), QStringList{"午后小调.kox"});
    EXPECT_EQ(Md5sum(TempFiles() + "午后小调.kox"), Md5sum(MaterialFile("午后小调")));
    EXPECT_TRUE(MaterialRows().contains("午后小调"));

    Dlg()->OnDownloadLink(link);
    ASSERT_TRUE(WaitForWorkers());
    QTest::qWait(20);
    EXPECT_EQ(FilesInTempFiles(), (QStringList{"午后小调(1).kox", "午后小调.kox"}));
    EXPECT_EQ(Md5sum(TempFiles() + "午后小调(1).kox"), Md5sum(MaterialFile("午后小调")));
    EXPECT_TRUE(MaterialRows().contains("午后小调(1)"));
}

// The web view's song list, clicked as a user would: the engine cannot read
// the link, so the page script hands it on and nothing navigates.
TEST_F(KelvoDownload, AClickOnTheSongListsLinkDownloadsItsMaterial)
{
    Dlg()->OnWebMaterials();
    CRingHtmlView* view = Dlg()->Browser()->View();
    ASSERT_NE(view, nullptr);
    const char* click = "(function () {"
                        "  var a = Array.from(document.querySelectorAll('a'))"
                        "      .find(function (x) { return x.textContent === '午后小调'; });"
                        "  if (!a || !window.zuvoChannel) return false;"
                        "  a.click(); return true; })()";
    // Answers may come after the wait is over.
    const auto clicked = std::make_shared<bool>(false);
    ASSERT_TRUE(WaitFor(
        [&] {
            if (!*clicked && view->page()->url().path() == "/zuvo/pub/songlist.me")
                view->page()->runJavaScript(
                    click, [clicked](const QVariant& v) { *clicked = *clicked || v.toBool(); });
            return *clicked;
        },
        30000));
    ASSERT_TRUE(WaitFor([&] { return FilesInTempFiles().contains("午后小调.kox"); }, 20000));
    ASSERT_TRUE(WaitForWorkers());
    QTest::qWait(200);
    EXPECT_EQ(Md5sum(TempFiles() + "午后小调.kox"), Md5sum(MaterialFile("午后小调")));
    EXPECT_EQ(messages.messages.value(0), "『午后小调』已经添加到下载队列中！");
    EXPECT_EQ(view->page()->url().path(), "/zuvo/pub/songlist.me");
    EXPECT_TRUE(MaterialRows().contains("午后小调"));
}

TEST_F(KelvoDownload, AFailedDownloadIsToldWithItsNameAndLeavesNothing)
{
    ASSERT_TRUE(service.Script(
        {QJsonObject{{"path", "gone.me"}, {"status", 404}},
         QJsonObject{{"path", "cut.me"}, {"fill", 9000}, {"cut", true}},
         QJsonObject{
             {"path", "cutchunks.me"}, {"fill", 9000}, {"framing", "chunked"}, {"cut", true}},
         QJsonObject{{"path", "empty.me"}, {"body", ""}},
         QJsonObject{{"path", "ok.me"}, {"body", "material"}}}));
    struct Case
    {
        QString link, name;
    } cases[] = {
        {Link("gone.me", "missing"), "missing"},
        {Link("cut.me", "cut"), "cut"},
        {Link("cutchunks.me", "chunks"), "chunks"},
        {Link("empty.me", "empty"), "empty"},
        {"http://down=file:///etc/passwd&name=passwd", "passwd"},
    };
    for (const Case& c : cases) {
        messages.messages.clear();
        Dlg()->OnDownloadLink(c.link);
        ASSERT_TRUE(WaitForWorkers()) << c.link.toStdString();
        QTest::qWait(20);
        EXPECT_EQ(messages.messages.value(1), "在下载文件『" + c.name + "』时出现错误。")
            << c.link.toStdString();
        EXPECT_EQ(Rows()->topLevelItemCount(), 0);
    }
    EXPECT_TRUE(FilesInTempFiles().isEmpty()) << FilesInTempFiles().join(' ').toStdString();
    EXPECT_TRUE(MaterialRows().isEmpty());
}

// The notice opens first and the failure only once it is closed, though the
// failure arrives while the notice's box runs its loop; one box at a time.
TEST_F(KelvoDownload, AFailureIsToldOnlyAfterItsQueuedNoticeIsClosed)
{
    ASSERT_TRUE(service.Script({QJsonObject{{"path", "gone.me"}, {"status", 404}}}));
    QStringList shownWhileOpen;
    messages.whileOpen = [&](const QString& text) {
        if (text != "『one』已经添加到下载队列中！")
            return;
        // The user reads the notice; both downloads fail meanwhile.
        WaitFor([this] { return Dlg()->Downloads()->List()->topLevelItemCount() == 0; });
        QTest::qWait(200);
        shownWhileOpen = messages.messages;
    };
    Dlg()->OnDownloadLink(Link("gone.me", "one"));
    Dlg()->OnDownloadLink(Link("gone.me", "two"));
    ASSERT_TRUE(WaitForWorkers());
    ASSERT_TRUE(WaitFor([this] { return messages.messages.size() == 4; }));
    EXPECT_EQ(messages.mostOpen, 1);
    EXPECT_EQ(shownWhileOpen, QStringList{"『one』已经添加到下载队列中！"});
    // The workers may fail in either order; each notice comes before them.
    EXPECT_EQ(messages.messages.mid(0, 2),
              (QStringList{"『one』已经添加到下载队列中！", "『two』已经添加到下载队列中！"}));
    QStringList errors = messages.messages.mid(2);
    errors.sort();
    EXPECT_EQ(errors,
              (QStringList{"在下载文件『one』时出现错误。", "在下载文件『two』时出现错误。"}));
}

// A name that cleans to nothing would show as 『』: such a link is refused,
// with a message and without a row or a request.
TEST_F(KelvoDownload, ALinkWithoutAFileNameIsRefusedWithoutARow)
{
    ASSERT_TRUE(service.Script({QJsonObject{{"path", "ok.me"}, {"body", "material"}}}));
    const QString links[] = {
        Link("ok.me", ""),
        Link("ok.me", "%2E%2E"),
        Link("ok.me", "..%2F"),
        Link("ok.me", "%20%0A"),
        "http://down=" + QString::fromStdString(service.Url("ok.me/")),
        "http://down=file:///etc/&name=..",
    };
    for (const QString& link : links) {
        messages.messages.clear();
        Dlg()->OnDownloadLink(link);
        EXPECT_EQ(Rows()->topLevelItemCount(), 0) << link.toStdString();
        EXPECT_EQ(Dlg()->RunningDownloads(), 0u);
        QTest::qWait(20);
        EXPECT_EQ(messages.messages, QStringList{"该下载链接没有提供合法的文件名，无法下载。"})
            << link.toStdString();
    }
    EXPECT_TRUE(service.RequestsTo("/zuvo/ok.me").isEmpty());
    EXPECT_TRUE(FilesInTempFiles().isEmpty());
    EXPECT_TRUE(MaterialRows().isEmpty());
}

TEST_F(KelvoDownload, ANameThatClimbsOutStaysInTempFiles)
{
    ASSERT_TRUE(service.Script({QJsonObject{{"path", "ok.me"}, {"body", "material"}}}));
    const QString marker = TestEnvironment::Home() + "/marker";
    {
        QFile file(marker);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QTest::qWait(1100); // find's -newer compares whole seconds on some file systems
    for (const QString& name : {QString("../../evil"), QString("..%2F..%2Fevil2")}) {
        Dlg()->OnDownloadLink(Link("ok.me", name));
        ASSERT_TRUE(WaitForWorkers());
    }
    QTest::qWait(20);
    QProcess find;
    find.start("find", {TestEnvironment::Home(), QDir::tempPath() + "/", "-newer", marker, "-type",
                        "f", "-name", "*evil*"});
    ASSERT_TRUE(find.waitForFinished(20000));
    QStringList found =
        QString::fromUtf8(find.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    found.removeDuplicates(); // HOME holds the temp folder
    ASSERT_EQ(found.size(), 2) << found.join(' ').toStdString();
    for (const QString& path : found)
        EXPECT_EQ(QFileInfo(path).absolutePath() + '/', TempFiles()) << path.toStdString();
}

TEST_F(KelvoDownload, CancelRemovesTheRowAtOnceAndTheWorkerEndsLeavingNothing)
{
    ASSERT_TRUE(
        service.Script({QJsonObject{{"path", "slow.me"}, {"fill", 6000}, {"slow", 0.01}}}));
    Dlg()->OnDownloadLink(Link("slow.me", "slow"));
    ASSERT_EQ(Rows()->topLevelItemCount(), 1);
    const auto task = Dlg()->Downloads()->TaskAt(0);
    ASSERT_TRUE(WaitFor([&] { return task->GetReceived() > 0; }));
    // Well under way: a partial file exists.
    EXPECT_EQ(FilesInTempFiles().size(), 1);

    QElapsedTimer timer;
    timer.start();
    emit Rows()->itemClicked(Rows()->topLevelItem(0), CListDownloadCtrl::kCancelColumn);
    EXPECT_EQ(Rows()->topLevelItemCount(), 0);
    ASSERT_TRUE(WaitForWorkers(2000));
    EXPECT_LT(timer.elapsed(), 2000);
    QTest::qWait(50);
    EXPECT_TRUE(FilesInTempFiles().isEmpty()) << FilesInTempFiles().join(' ').toStdString();
    EXPECT_TRUE(MaterialRows().isEmpty());
    // Only the queue message: a cancel is not an error, and no done follows.
    EXPECT_EQ(messages.messages, QStringList{"『slow』已经添加到下载队列中！"});
}

TEST_F(KelvoDownload, ClosingCancelsAndJoinsTheDownloads)
{
    ASSERT_TRUE(
        service.Script({QJsonObject{{"path", "slow.me"}, {"fill", 6000}, {"slow", 0.01}}}));
    Dlg()->OnDownloadLink(Link("slow.me", "one"));
    Dlg()->OnDownloadLink(Link("slow.me", "two"));
    ASSERT_TRUE(WaitFor([&] { return Dlg()->Downloads()->TaskAt(1)->GetReceived() > 0; }));
    QElapsedTimer timer;
    timer.start();
    Dlg()->CloseRoutine();
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_EQ(Dlg()->RunningDownloads(), 0u);
    QTest::qWait(50);
    EXPECT_TRUE(FilesInTempFiles().isEmpty()) << FilesInTempFiles().join(' ').toStdString();
}

// A material is bounded: a body at the limit is kept, one announced past it
// or one that never ends fails as any broken download does.
TEST_F(KelvoDownload, ABodyPastTheMaterialLimitFailsAndLeavesNothing)
{
    const qint64 limit = CKelvoDlg::kMaxMaterialBytes;
    ASSERT_TRUE(service.Script({QJsonObject{{"path", "atlimit.me"}, {"fill", limit}},
                                QJsonObject{{"path", "past.me"}, {"fill", limit + 1}},
                                QJsonObject{{"path", "endless.me"}, {"endless", true}}}));
    Dlg()->OnDownloadLink(Link("atlimit.me", "atlimit"));
    ASSERT_TRUE(WaitForWorkers(60000));
    QTest::qWait(20);
    EXPECT_EQ(QFileInfo(TempFiles() + "atlimit.kox").size(), limit);
    EXPECT_EQ(messages.messages, QStringList{"『atlimit』已经添加到下载队列中！"});
    ASSERT_TRUE(QFile::remove(TempFiles() + "atlimit.kox"));

    for (const QString name : {"past", "endless"}) {
        messages.messages.clear();
        QElapsedTimer timer;
        timer.start();
        Dlg()->OnDownloadLink(Link((name + ".me").toStdString(), name));
        ASSERT_TRUE(WaitForWorkers(60000)) << name.toStdString();
        QTest::qWait(20);
        EXPECT_EQ(messages.messages, (QStringList{"『" + name + "』已经添加到下载队列中！",
                                                  "在下载文件『" + name + "』时出现错误。"}));
        EXPECT_EQ(Rows()->topLevelItemCount(), 0);
        EXPECT_TRUE(FilesInTempFiles().isEmpty()) << FilesInTempFiles().join(' ').toStdString();
        EXPECT_FALSE(MaterialRows().contains(name));
    }
    // The endless body was sent for as long as it was read.
    EXPECT_EQ(service.RequestsTo("/zuvo/endless.me").size(), 1);
}

} // namespace
