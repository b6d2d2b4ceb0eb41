// The update check as Kelvo starts it, against the stand-in ring service's
// update description and files.
#include "tests/simple/KelvoFixture.h"

#include "simple/DeclareDialog.h"
#include "simple/UpdateCheck.h"
#include "tests/publish/RingServiceFixture.h"
#include "tests/publish/ServiceTestSupport.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QThread>

namespace {

const QString kQuestion = QStringLiteral("应用程序升级已经准备完毕，是否要进行升级。");

struct KelvoUpdateTest : KelvoFixture
{
    void SetUp() override
    {
        ASSERT_TRUE(service.IsRunning()) << service.StartError();
        // Two files: the updater the stand-in makes, and one in a sub-folder.
        QFile data(Served("data.bin"));
        ASSERT_TRUE(data.open(QIODevice::WriteOnly));
        for (int i = 0; i < 5000; ++i)
            data.putChar(char(i * 7 + i / 256));
        data.close();
        const QJsonObject update{
            {"sub", 12},
            {"files", QJsonArray{QJsonObject{{"name", "updater.sh"}},
                                 QJsonObject{{"name", "data.bin"}, {"target", "lib\\"}}}}};
        ASSERT_TRUE(service.Control("update", update).value("ok").toBool());
    }
    void TearDown() override { app.reset(); }

    QString Served(const QString& name) const
    {
        return service.DataDir() + "/update/files/" + name;
    }
    static QString UpdateDir() { return TestEnvironment::DataHome() + "/VazoZedu/update/"; }
    static QString Marker() { return UpdateDir() + "updater-ran.txt"; }

    // Kelvo starts; its check runs until it ends by itself.
    void RunCheck()
    {
        ASSERT_EQ(Start(), CKelvoApp::Start::Run);
        ASSERT_TRUE(
            TestEnvironment::WaitFor([this] { return Dlg()->IsUpdateCheckDone(); }, 20000));
    }
    void Restart()
    {
        Dlg()->done(0);
        app.reset();
        RunCheck();
    }
    QStringList Fetched() const
    {
        QStringList paths;
        for (const QJsonObject& entry : service.Log())
            if (entry.value("path").toString().startsWith("/update/"))
                paths << entry.value("path").toString();
        return paths;
    }
    static QString Md5Sum(const QString& path)
    {
        QProcess md5sum;
        md5sum.start("md5sum", {path});
        EXPECT_TRUE(md5sum.waitForFinished(10000));
        return QString::fromLatin1(md5sum.readAllStandardOutput().left(32)).toUpper();
    }
    // The MD5 the stand-in's description gives each file name.
    QMap<QString, QString> ListedDigests() const
    {
        const RingServiceFixture::HttpReply reply = service.Get("/update/update.xml");
        EXPECT_EQ(reply.status, 200);
        QMap<QString, QString> digests;
        const QRegularExpression file(R"re(FileName="([^"]*)"[^>]*MD5="([^"]*)")re");
        auto it = file.globalMatch(QString::fromLatin1(reply.body));
        while (it.hasNext()) {
            const auto match = it.next();
            digests[match.captured(1)] = match.captured(2);
        }
        return digests;
    }
    // A started updater writes its marker at once; give it a moment.
    static bool UpdaterRan(int waitMs)
    {
        return TestEnvironment::WaitFor([] { return QFileInfo::exists(Marker()); }, waitMs);
    }

    RingServiceFixture service;
    ScopedServiceHost host{service.HostPort()};
};

TEST_F(KelvoUpdateTest, NewerVersionFetchesVerifiedFilesOnceAndYesStartsTheUpdater)
{
    questions.okAnswers = {true};
    RunCheck();
    EXPECT_EQ(questions.asked, QStringList{kQuestion});
    EXPECT_EQ(Fetched(), (QStringList{"/update/update.xml", "/update/files/updater.sh",
                                      "/update/files/data.bin"}));
    const QMap<QString, QString> listed = ListedDigests();
    ASSERT_EQ(listed.size(), 2);
    EXPECT_EQ(Md5Sum(UpdateDir() + "updater.sh"), listed["updater.sh"]);
    EXPECT_EQ(Md5Sum(UpdateDir() + "lib/data.bin"), listed["data.bin"]);
    EXPECT_EQ(Md5Sum(UpdateDir() + "lib/data.bin"), Md5Sum(Served("data.bin")));
    // The updater ran from inside the update folder.
    ASSERT_TRUE(UpdaterRan(10000));
    QFile marker(Marker());
    ASSERT_TRUE(marker.open(QIODevice::ReadOnly));
    EXPECT_EQ(QFileInfo(QString::fromLocal8Bit(marker.readAll().trimmed())).canonicalFilePath(),
              QFileInfo(UpdateDir()).canonicalFilePath());
    // Nothing but the fetched files, the description and the marker.
    QStringList left = QDir(UpdateDir()).entryList(QDir::Files | QDir::Hidden);
    left.sort();
    EXPECT_EQ(left, (QStringList{"update.xml", "updater-ran.txt", "updater.sh"}));

    // A second start fetches only the description; No starts nothing.
    ASSERT_TRUE(QFile::remove(Marker()));
    const int before = Fetched().size();
    questions.asked.clear();
    questions.okAnswers = {false};
    Restart();
    EXPECT_EQ(Fetched().mid(before), QStringList{"/update/update.xml"});
    EXPECT_EQ(questions.asked, QStringList{kQuestion});
    EXPECT_FALSE(UpdaterRan(1000));
}

TEST_F(KelvoUpdateTest, DeclarationShowsOnItsLinesAndOkStartsTheUpdater)
{
    // As stored: backslash + r, backslash + n between the lines.
    ASSERT_TRUE(service.Control("update", QJsonObject{{"declare", "第一行\\r\\n第二行"}})
                    .value("ok")
                    .toBool());
    QStringList shown;
    ASSERT_EQ(Start(), CKelvoApp::Start::Run);
    Dlg()->SetDeclareRunner([&](CDeclareDialog& dialog) {
        shown << dialog.TextEdit()->toPlainText();
        return int(QDialog::Accepted);
    });
    ASSERT_TRUE(TestEnvironment::WaitFor([this] { return Dlg()->IsUpdateCheckDone(); }, 20000));
    EXPECT_TRUE(questions.asked.isEmpty());
    EXPECT_EQ(shown, QStringList{"第一行\n第二行"});
    EXPECT_TRUE(UpdaterRan(10000));
}

TEST_F(KelvoUpdateTest, CurrentVersionOffersNothing)
{
    ASSERT_TRUE(service.Control("update", QJsonObject{{"sub", 11}}).value("ok").toBool());
    questions.yes = true;
    RunCheck();
    EXPECT_TRUE(questions.asked.isEmpty());
    EXPECT_EQ(Fetched(), QStringList{"/update/update.xml"});
    EXPECT_FALSE(UpdaterRan(500));
}

TEST_F(KelvoUpdateTest, ClosingDuringASlowDownloadEndsAtOnceAndLeavesNothingHalfDone)
{
    // One byte every half second: the file would take far longer than the test.
    ASSERT_TRUE(service.Script(QJsonArray{
        QJsonObject{{"path", "/update/files/data.bin"}, {"fill", 5000}, {"slow", 0.5}}}));
    questions.yes = true;
    ASSERT_EQ(Start(), CKelvoApp::Start::Run);
    // The slow body has begun arriving.
    ASSERT_TRUE(TestEnvironment::WaitFor(
        [] {
            for (const QFileInfo& part :
                 QDir(UpdateDir() + "lib").entryInfoList(QDir::Files | QDir::Hidden))
                if (part.size() > 0)
                    return true;
            return false;
        },
        20000));
    QElapsedTimer timer;
    timer.start();
    Dlg()->done(0);
    EXPECT_LT(timer.elapsed(), 3000);
    EXPECT_TRUE(Dlg()->IsUpdateCheckDone());
    EXPECT_TRUE(questions.asked.isEmpty());
    EXPECT_TRUE(QDir(UpdateDir() + "lib").entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_FALSE(UpdaterRan(500));
}

// The description and each file are bounded: a body that runs past its limit
// ends the check as any failed download does, asking nothing and leaving no
// part of it behind.
TEST_F(KelvoUpdateTest, ABodyPastItsLimitEndsTheCheckAndLeavesNothing)
{
    struct Case
    {
        const char* path;
        qint64 bytes;
        QStringList fetched, left;
    } cases[] = {
        {"/update/update.xml", CUpdateCheck::kMaxDescriptionBytes + 1, {"/update/update.xml"}, {}},
        {"/update/files/data.bin",
         CUpdateCheck::kMaxFileBytes + 1,
         {"/update/update.xml", "/update/files/updater.sh", "/update/files/data.bin"},
         {"lib", "update.xml", "updater.sh"}},
    };
    // The long file is listed with its own digest: only its length can stop it.
    QCryptographicHash md5(QCryptographicHash::Md5);
    const QByteArray block(1 << 20, 'x');
    for (qint64 left = CUpdateCheck::kMaxFileBytes + 1; left > 0; left -= block.size())
        md5.addData(QByteArrayView(block).first(std::min<qint64>(left, block.size())));
    const QString digest = QString::fromLatin1(md5.result().toHex().toUpper());
    const QJsonArray files{
        QJsonObject{{"name", "updater.sh"}},
        QJsonObject{{"name", "data.bin"}, {"target", "lib\\"}, {"md5", digest}}};
    ASSERT_TRUE(service.Control("update", QJsonObject{{"files", files}}).value("ok").toBool());
    questions.yes = true;
    for (const Case& c : cases) {
        ASSERT_TRUE(
            service.Script(QJsonArray{QJsonObject{{"path", c.path}, {"endless", c.bytes}}}));
        const int before = Fetched().size();
        if (app)
            Restart();
        else
            RunCheck();
        EXPECT_EQ(Fetched().mid(before), c.fetched) << c.path;
        EXPECT_TRUE(questions.asked.isEmpty()) << c.path;
        EXPECT_EQ(
            QDir(UpdateDir())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
            c.left)
            << c.path;
        EXPECT_TRUE(QDir(UpdateDir() + "lib").entryList(QDir::Files | QDir::Hidden).isEmpty())
            << c.path;
        EXPECT_FALSE(UpdaterRan(200)) << c.path;
    }
}

} // namespace
