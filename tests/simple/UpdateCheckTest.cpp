#include "simple/UpdateCheck.h"
#include "simple/UpdateDescription.h"

#include "tests/support/TestEnvironment.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>

#include <gtest/gtest.h>

namespace {

QByteArray Md5(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex().toUpper();
}

// Serves url -> bytes; a missing url fails; "cut" writes half and fails.
struct FakeService
{
    QMap<QString, QByteArray> files;
    QStringList fetched;

    CUpdateCheck::Fetch Fetcher()
    {
        return [this](const QString& url, const QString&, const QString& path, int64_t,
                      const std::atomic<bool>&) {
            fetched << url;
            QFile file(path);
            if (!file.open(QIODevice::NewOnly))
                return false;
            if (url.endsWith("cut")) {
                file.write(files.value(url).left(3));
                return false;
            }
            if (!files.contains(url))
                return false;
            file.write(files.value(url));
            return true;
        };
    }
};

QByteArray Description(int major, int sub, const QByteArray& files, const char* exec,
                       const QByteArray& declare = {})
{
    return "<?xml version=\"1.0\" encoding=\"GB2312\"?><UpdateInfo><VersionInfo><MajorVer>" +
           QByteArray::number(major) + "</MajorVer><SubVer>" + QByteArray::number(sub) +
           "</SubVer></VersionInfo>" +
           (declare.isEmpty() ? QByteArray() : "<Declare>" + declare + "</Declare>") +
           "<ExecApp>" + exec + "</ExecApp><UpdFiles>" + files + "</UpdFiles></UpdateInfo>";
}

QByteArray FileEntry(const char* name, const char* url, const QByteArray& md5, const char* target)
{
    return QByteArray("<File FileName=\"") + name + "\" Url=\"" + url + "\" MD5=\"" + md5 +
           "\" Target=\"" + target + "\"/>";
}

struct CheckRun
{
    CUpdateCheck::Outcome outcome;
    QStringList asked;
    QStringList started;
};

CheckRun RunCheck(FakeService& service, const QString& folder, bool agree = true)
{
    CheckRun run;
    CUpdateCheck::Hooks hooks;
    hooks.fetch = service.Fetcher();
    hooks.ask = [&](const QString& declare) {
        run.asked << declare;
        return agree;
    };
    hooks.start = [&](const QString& program, const QString& working) {
        run.started << program << working;
        return true;
    };
    CUpdateCheck check(folder, "http://h/update.xml", hooks);
    run.outcome = check.Run();
    return run;
}

} // namespace

TEST(UpdateCheckTest, VersionsFilesAndTheOffer)
{
    const QString folder = TestEnvironment::Home() + "/update/";
    QDir().mkpath(folder);
    const QByteArray updater = "#!/bin/sh\npwd > ran\n";
    const QByteArray data = "payload";
    FakeService service;
    service.files["http://h/u"] = updater;
    service.files["http://h/d"] = data;
    const QByteArray files = FileEntry("updater.sh", "http://h/u", Md5(updater), "") +
                             FileEntry("data.bin", "http://h/d", Md5(data), "lib\\sub\\");

    service.files["http://h/update.xml"] = Description(1, 11, files, "updater.sh");
    CheckRun run = RunCheck(service, folder);
    EXPECT_EQ(run.outcome, CUpdateCheck::Outcome::Current);
    EXPECT_EQ(service.fetched, QStringList{"http://h/update.xml"});
    EXPECT_TRUE(run.asked.isEmpty());

    for (const auto& [major, sub] : {std::pair{1, 12}, std::pair{2, 0}}) {
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        service.fetched.clear();
        service.files["http://h/update.xml"] = Description(major, sub, files, "updater.sh");
        run = RunCheck(service, folder);
        EXPECT_EQ(run.outcome, CUpdateCheck::Outcome::Started);
        EXPECT_EQ(service.fetched.size(), 3);
        EXPECT_EQ(run.asked, QStringList{QString()});
        EXPECT_EQ(run.started, (QStringList{folder + "updater.sh", folder}));
        QFile placed(folder + "lib/sub/data.bin");
        ASSERT_TRUE(placed.open(QIODevice::ReadOnly));
        EXPECT_EQ(placed.readAll(), data);
        EXPECT_TRUE(QFile::permissions(folder + "updater.sh") & QFileDevice::ExeOwner);
        EXPECT_FALSE(QFile::permissions(folder + "lib/sub/data.bin") & QFileDevice::ExeOwner);
    }
    // Current files are not fetched again; No starts nothing.
    service.fetched.clear();
    run = RunCheck(service, folder, false);
    EXPECT_EQ(run.outcome, CUpdateCheck::Outcome::Declined);
    EXPECT_EQ(service.fetched, QStringList{"http://h/update.xml"});
    EXPECT_TRUE(run.started.isEmpty());

    // The declaration's backslash-r-backslash-n sequences are line breaks.
    service.files["http://h/update.xml"] =
        Description(1, 12, files, "updater.sh", "first\\r\\nsecond");
    run = RunCheck(service, folder);
    EXPECT_EQ(run.asked, QStringList{"first\nsecond"});
}

TEST(UpdateCheckTest, RefusedDescriptionsAndBadFilesStartNothing)
{
    const QByteArray updater = "#!/bin/sh\n";
    const QByteArray md5 = Md5(updater);
    const struct
    {
        const char* what;
        QByteArray files;
        const char* exec;
        CUpdateCheck::Outcome outcome;
    } cases[] = {
        {"lower-case digest", FileEntry("u.sh", "http://h/u", md5.toLower(), ""), "u.sh",
         CUpdateCheck::Outcome::Mismatch},
        {"empty file", FileEntry("u.sh", "http://h/empty", Md5(""), ""), "u.sh",
         CUpdateCheck::Outcome::Mismatch},
        {"cut reply", FileEntry("u.sh", "http://h/cut", md5, ""), "u.sh",
         CUpdateCheck::Outcome::FetchFailed},
        {"dot-dot file name", FileEntry("../u.sh", "http://h/u", md5, ""), "../u.sh",
         CUpdateCheck::Outcome::Refused},
        {"backslash file name", FileEntry("..\\u.sh", "http://h/u", md5, ""), "u.sh",
         CUpdateCheck::Outcome::Refused},
        {"absolute target", FileEntry("u.sh", "http://h/u", md5, "\\etc\\"), "u.sh",
         CUpdateCheck::Outcome::Refused},
        {"climbing target", FileEntry("u.sh", "http://h/u", md5, "..\\..\\"), "u.sh",
         CUpdateCheck::Outcome::Refused},
        {"exec outside", FileEntry("u.sh", "http://h/u", md5, ""), "../../bin/sh",
         CUpdateCheck::Outcome::Refused},
        {"exec not listed", FileEntry("u.sh", "http://h/u", md5, ""), "other.sh",
         CUpdateCheck::Outcome::Refused},
        {"attribute missing", "<File FileName=\"u.sh\" Url=\"http://h/u\" Target=\"\"/>", "u.sh",
         CUpdateCheck::Outcome::Refused},
    };
    for (const auto& c : cases) {
        const QString folder = TestEnvironment::Home() + "/case/update/";
        QDir(TestEnvironment::Home() + "/case").removeRecursively();
        QDir().mkpath(folder);
        FakeService service;
        service.files["http://h/u"] = updater;
        service.files["http://h/cut"] = updater;
        service.files["http://h/empty"] = "";
        service.files["http://h/update.xml"] = Description(1, 12, c.files, c.exec);
        const CheckRun run = RunCheck(service, folder);
        EXPECT_EQ(run.outcome, c.outcome) << c.what;
        EXPECT_TRUE(run.asked.isEmpty()) << c.what;
        EXPECT_TRUE(run.started.isEmpty()) << c.what;
        // Nothing but the description is left, even a part file.
        QStringList left;
        QDirIterator it(TestEnvironment::Home() + "/case", QDir::Files | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            left << it.next();
        EXPECT_EQ(left, QStringList{folder + "update.xml"}) << c.what;
    }
}

// A cut description leaves the previous one in place.
TEST(UpdateCheckTest, CutDescriptionKeepsThePreviousOne)
{
    const QString folder = TestEnvironment::Home() + "/update/";
    QDir().mkpath(folder);
    QFile previous(folder + "update.xml");
    ASSERT_TRUE(previous.open(QIODevice::WriteOnly));
    previous.write("<old></old>");
    previous.close();
    FakeService service;
    CUpdateCheck::Hooks hooks;
    hooks.fetch = service.Fetcher();
    hooks.ask = [](const QString&) { return true; };
    hooks.start = [](const QString&, const QString&) { return true; };
    CUpdateCheck check(folder, "http://h/update.xml.cut", hooks);
    EXPECT_EQ(check.Run(), CUpdateCheck::Outcome::NoDescription);
    ASSERT_TRUE(previous.open(QIODevice::ReadOnly));
    EXPECT_EQ(previous.readAll(), "<old></old>");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"update.xml"});
}
