#include "publish/DownloadBodyWriter.h"
#include "publish/HTTPDownloadTask.h"
#include "publish/HTTPFormClient.h"
#include "tests/publish/RingServiceFixture.h"
#include "tests/publish/ServiceTestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

class HTTPDownloadTaskTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_service.IsRunning()) << m_service.StartError();
        ASSERT_TRUE(m_dir.isValid());
    }

    // The bytes of the stand-in's material file of index (the song list's order).
    QByteArray Material(int index) const
    {
        QDir folder(m_service.DataDir() + "/material");
        const QStringList names = folder.entryList(QDir::Files, QDir::Name);
        QFile file(folder.filePath(names.value(index)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    std::string Target() const { return QFile::encodeName(m_dir.filePath("body")).toStdString(); }
    QStringList FilesLeft() const { return QDir(m_dir.path()).entryList(QDir::Files); }

    RingServiceFixture m_service;
    QTemporaryDir m_dir;
};

QByteArray ReadAll(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST_F(HTTPDownloadTaskTest, OnlyACompleteBodyWhateverItsFramingIsKept)
{
    struct Case
    {
        const char* what;
        QJsonObject rule;
        bool ok;
    };
    const Case cases[] = {
        {"Content-Length", {{"material", 0}}, true},
        {"chunked", {{"material", 0}, {"framing", "chunked"}, {"chunk", 777}}, true},
        {"ends by closing", {{"material", 0}, {"framing", "close"}}, true},
        {"redirected", {{"status", 302}, {"location", "/zuvo/pub/material.me?id=0"}}, true},
        {"cut Content-Length", {{"material", 0}, {"cut", true}}, false},
        {"cut chunked", {{"material", 0}, {"framing", "chunked"}, {"cut", true}}, false},
        {"empty body", {{"body", ""}}, false},
        {"empty chunked", {{"body", ""}, {"framing", "chunked"}}, false},
        {"404", {{"status", 404}, {"body", "not here"}}, false},
        {"500 chunked", {{"status", 500}, {"body", "no"}, {"framing", "chunked"}}, false},
        {"redirect to ftp", {{"status", 302}, {"location", "ftp://127.0.0.1/x"}}, false},
        {"redirect to file", {{"status", 302}, {"location", "file:///etc/passwd"}}, false},
        {"head cut", {{"material", 0}, {"head_bytes", 20}}, false},
    };
    const QByteArray material = Material(0);
    ASSERT_GT(material.size(), 4096 * 2);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].what);
        QJsonObject rule = cases[i].rule;
        rule["path"] = "case.me";
        ASSERT_TRUE(m_service.Script({rule}));
        const std::string target = Target() + std::to_string(i);
        CHTTPDownloadTask task(m_service.Url("case.me"));
        task.SetName("song");
        task.SetLocalPath(target);
        std::vector<int64_t> seen;
        task.SetProgressHandler([&](int64_t received, int64_t) { seen.push_back(received); });
        EXPECT_EQ(task.Download(), cases[i].ok) << task.GetErrorText();
        if (cases[i].ok) {
            EXPECT_EQ(ReadAll(target), material);
            EXPECT_EQ(task.GetReceived(), material.size());
            ASSERT_FALSE(seen.empty());
            EXPECT_EQ(seen.back(), material.size());
            EXPECT_LE(seen.front(), 4096);
        } else {
            EXPECT_FALSE(QFile::exists(QString::fromStdString(target)));
        }
    }
    EXPECT_TRUE(FilesLeft().size() == 4) << FilesLeft().join(",").toStdString();
}

TEST_F(HTTPDownloadTaskTest, RequestErrorsHaveTheirTexts)
{
    ASSERT_TRUE(m_service.Script({QJsonObject{{"path", "gone.me"}, {"status", 404}}}));
    struct Case
    {
        std::string url;
        std::string name;
        const char* error;
    };
    const Case cases[] = {
        {"http:///x", "a", "URL地址中主机名丢失！"},
        {"http://exa mple/x", "a", "URL地址解析错误！"},
        {m_service.Url("pub/material.me?id=0"), "", "未提供合法的文件名！"},
        {m_service.Url("gone.me"), "a", "文件在下载时出现错误！"},
    };
    for (const Case& c : cases) {
        CHTTPDownloadTask task(c.url);
        task.SetName(c.name);
        task.SetLocalPath(Target());
        EXPECT_FALSE(task.Download()) << c.url;
        EXPECT_EQ(task.GetErrorText(), c.error) << c.url;
    }
    EXPECT_TRUE(FilesLeft().isEmpty());
}

TEST_F(HTTPDownloadTaskTest, AnExistingFileIsNeitherFollowedNorTouched)
{
    const QString path = m_dir.filePath("body");
    QFile existing(path);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly) && existing.write("mine") == 4);
    existing.close();
    ASSERT_TRUE(QFile::link(m_dir.filePath("elsewhere"), m_dir.filePath("link")));

    for (const char* name : {"body", "link"}) {
        CHTTPDownloadTask task(m_service.Url("pub/material.me?id=0"));
        task.SetName("song");
        task.SetLocalPath(QFile::encodeName(m_dir.filePath(name)).toStdString());
        EXPECT_FALSE(task.Download()) << name;
    }
    EXPECT_EQ(ReadAll(path.toStdString()), "mine");
    EXPECT_FALSE(QFile::exists(m_dir.filePath("elsewhere")));
}

TEST_F(HTTPDownloadTaskTest, TheLoginCookieRidesOnTheGet)
{
    const QString uid = "13900000000";
    const QString ticket = m_service.Control("ticket", {{"uid", uid}}).value("ticket").toString();
    CHTTPFormClient login(m_service.Url("login.me"));
    login.AddTextField("loginid", uid.toStdString());
    login.AddTextField("ticket", ticket.toStdString());
    login.AddTextField("client", "true");
    ASSERT_TRUE(login.PostForm()) << login.GetErrorText();

    CHTTPDownloadTask task(m_service.Url("pub/material.me?id=1"));
    task.SetName("song");
    task.SetLocalPath(Target());
    ASSERT_TRUE(task.Download()) << task.GetErrorText();
    const QJsonObject request = m_service.LastRequest("/zuvo/pub/material.me");
    EXPECT_EQ(request.value("method").toString(), "GET");
    EXPECT_TRUE(request.value("cookie_sent").toBool());
    EXPECT_EQ(ReadAll(Target()), Material(1));
}

TEST_F(HTTPDownloadTaskTest, ACancelFromAnotherThreadEndsTheDownloadAndRemovesItsFile)
{
    // About 100 bytes a second: the body is far from done when the cancel comes.
    ASSERT_TRUE(
        m_service.Script({QJsonObject{{"path", "slow.me"}, {"fill", 4000}, {"slow", 0.01}}}));
    CHTTPDownloadTask task(m_service.Url("slow.me"));
    task.SetName("song");
    task.SetLocalPath(Target());
    std::atomic<bool> result{true};
    std::thread worker([&] { result = task.Download(); });
    QElapsedTimer waited;
    waited.start();
    while (task.GetReceived() < 10 && waited.elapsed() < 10000)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(Target())));
    QElapsedTimer timer;
    timer.start();
    task.Cancel();
    worker.join();
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_FALSE(result);
    EXPECT_TRUE(task.IsCancelled());
    EXPECT_TRUE(FilesLeft().isEmpty());
}

TEST_F(HTTPDownloadTaskTest, ASilentServerAndAnOverlongBodyFail)
{
    CHTTPFormClient::Timeouts timeouts;
    timeouts.stallSeconds = 1;
    const ScopedTimeouts scoped(timeouts);
    ASSERT_TRUE(m_service.Script(
        {QJsonObject{{"path", "stall.me"}, {"stall", 5}},
         QJsonObject{{"path", "long.me"}, {"fill", 5000}},
         QJsonObject{{"path", "longer.me"}, {"fill", 5000}, {"framing", "chunked"}}}));
    CHTTPDownloadTask stalled(m_service.Url("stall.me"));
    stalled.SetName("song");
    stalled.SetLocalPath(Target());
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(stalled.Download());
    EXPECT_LT(timer.elapsed(), 4000);

    for (const char* path : {"long.me", "longer.me"}) {
        CHTTPDownloadTask task(m_service.Url(path));
        task.SetName("song");
        task.SetLocalPath(Target());
        task.SetMaxBytes(4999);
        EXPECT_FALSE(task.Download()) << path;
    }
    EXPECT_TRUE(FilesLeft().isEmpty());
}

TEST(DownloadBodyWriter, KeepsOnlyAFinishedNonEmptyBody)
{
    QTemporaryDir dir;
    const std::string path = QFile::encodeName(dir.filePath("f")).toStdString();
    {
        CDownloadBodyWriter writer(path);
        EXPECT_FALSE(writer.Finish()); // nothing written: no download
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("f")));
    {
        CDownloadBodyWriter writer(path, 5);
        EXPECT_TRUE(writer.Write("abc", 3));
        EXPECT_FALSE(writer.Write("def", 3)); // past the limit
        EXPECT_FALSE(writer.Write("d", 1));   // a failed writer stays failed
        EXPECT_FALSE(writer.Finish());
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("f")));
    {
        CDownloadBodyWriter writer(path);
        EXPECT_TRUE(writer.Write("abc", 3));
        // Not finished: going out of scope removes it.
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("f")));
    {
        CDownloadBodyWriter writer(path);
        EXPECT_TRUE(writer.Write("abc", 3) && writer.Write("", 0) && writer.Write("de", 2));
        EXPECT_TRUE(writer.Finish());
    }
    EXPECT_EQ(ReadAll(path), "abcde");
}

} // namespace
