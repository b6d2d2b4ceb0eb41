#include "publish/HTTPFormClient.h"
#include "publish/RequestCancel.h"
#include "tests/publish/RingServiceFixture.h"
#include "tests/publish/ServiceTestSupport.h"
#include "tests/support/TestEnvironment.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

QString Latin1(const std::string& bytes)
{
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QByteArray Bytes(const std::string& bytes)
{
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Pairs of a logged form or query as Latin-1 texts (byte-exact).
QJsonArray Pairs(const std::vector<std::pair<std::string, std::string>>& pairs)
{
    QJsonArray array;
    for (const auto& [name, value] : pairs)
        array.append(QJsonArray{Latin1(name), Latin1(value)});
    return array;
}

QByteArray WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path;
    return bytes;
}

QByteArray RandomBytes(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(QRandomGenerator::global()->bounded(256));
    // Line ends and boundary-like text inside the data must survive as data.
    bytes.replace(100, 12, "\r\n--\r\n\r\n\n\r--");
    return bytes;
}

enum class Send { Form, Query, Multipart };

// Sends the field a=1 the given way; a multipart also carries file.
bool SendField(CHTTPFormClient& client, Send send, const QString& file)
{
    client.AddTextField("a", "1");
    if (send == Send::Form)
        return client.PostForm();
    if (send == Send::Query)
        return client.PostQuery();
    client.AddFileField("vox", QFile::encodeName(file).toStdString());
    return client.PostMultipart();
}

// Each case's rule on its own path "case/<index>.me", the index in cases.
template <typename Case, size_t N> QJsonArray CaseRules(const Case (&cases)[N])
{
    QJsonArray rules;
    for (size_t i = 0; i < N; ++i) {
        QJsonObject rule = cases[i].rule;
        rule["path"] = QString("case/%1.me").arg(i);
        rules.append(rule);
    }
    return rules;
}

std::string CaseUrl(const RingServiceFixture& service, size_t index)
{
    return service.Url("case/" + std::to_string(index) + ".me");
}

class HTTPFormClientTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_service.IsRunning()) << m_service.StartError(); }

    // A small file for the multipart sends.
    QString VoxFile()
    {
        const QString path = m_files.filePath("a.vox");
        WriteFile(path, "vox");
        return path;
    }

    RingServiceFixture m_service;
    QTemporaryDir m_files;
};

TEST_F(HTTPFormClientTest, FormBodyParsesToTheFieldsInOrder)
{
    ASSERT_TRUE(m_service.Script({QJsonObject{{"path", "pub/form.me"}, {"body", "OK"}}}));

    CHTTPFormClient client(m_service.Url("pub/form.me"));
    client.AddTextField("loginid", "13800000000");
    client.AddTextField("password", "a b~/:\xC4");
    client.AddTextField("", "dropped");
    client.AddTextField("client", "true");
    client.AddTextField("empty", "");
    ASSERT_TRUE(client.PostForm()) << client.GetErrorText();
    EXPECT_EQ(client.GetResponse(), "OK");
    EXPECT_EQ(client.GetResponseCharset(), "utf-8");

    const QJsonObject request = m_service.LastRequest("/zuvo/pub/form.me");
    EXPECT_EQ(request.value("method").toString(), "POST");
    EXPECT_EQ(request.value("form").toArray(), Pairs({{"loginid", "13800000000"},
                                                      {"password", "a b~/:\xC4"},
                                                      {"client", "true"},
                                                      {"empty", ""}}));
    EXPECT_EQ(m_service.RecordedBody(request),
              "loginid=13800000000&password=a+b%7E%2F%3A%C4&client=true&empty=");
    const QJsonObject headers = request.value("headers").toObject();
    EXPECT_EQ(headers.value("content-type").toString(), "application/x-www-form-urlencoded");
    EXPECT_FALSE(headers.contains("expect"));
    EXPECT_FALSE(headers.contains("user-agent"));

    CHTTPFormClient agent(m_service.Url("pub/form.me"));
    agent.SetUserAgent("ZuvoTest/1.0");
    agent.AddTextField("a", "1");
    ASSERT_TRUE(agent.PostForm()) << agent.GetErrorText();
    EXPECT_EQ(m_service.LastRequest("/zuvo/pub/form.me")
                  .value("headers")
                  .toObject()
                  .value("user-agent")
                  .toString(),
              "ZuvoTest/1.0");

    CHTTPFormClient empty(m_service.Url("pub/form.me"));
    empty.AddTextField("", "x");
    EXPECT_FALSE(empty.PostForm());
    EXPECT_EQ(empty.GetErrorText(), "提交的表单域为空！");
}

TEST_F(HTTPFormClientTest, QueryPutsTheFieldsIntoTheUrlAndSendsNoBody)
{
    ASSERT_TRUE(m_service.Script({QJsonObject{{"path", "person/q.me"}, {"body", "done"}}}));

    struct Case
    {
        std::string url;
        std::vector<std::pair<std::string, std::string>> fields;
        QString query;
    };
    const Case cases[] = {
        {"person/q.me?clientversion=1",
         {{"a", "1"}, {"b", "x y/"}},
         "clientversion=1&a=1&b=x+y%2F"},
        {"person/q.me", {{"c", "3"}}, "c=3"},
        {"person/q.me?clientversion=1", {}, "clientversion=1"},
    };
    for (const Case& c : cases) {
        CHTTPFormClient client(m_service.Url(c.url));
        for (const auto& [name, value] : c.fields)
            client.AddTextField(name, value);
        ASSERT_TRUE(client.PostQuery()) << client.GetErrorText();
        EXPECT_EQ(client.GetResponse(), "done");
        const QJsonObject request = m_service.LastRequest("/zuvo/person/q.me");
        EXPECT_EQ(request.value("method").toString(), "POST");
        EXPECT_EQ(request.value("query").toString(), c.query);
        EXPECT_EQ(request.value("content_length").toInt(-1), 0);
        EXPECT_EQ(request.value("body_bytes").toInt(-1), 0);
        EXPECT_FALSE(request.value("headers").toObject().contains("content-type"));
    }
}

TEST_F(HTTPFormClientTest, UrlSplitCompletesTheSchemeAndFindsTheHost)
{
    const std::string local = m_service.HostPort() + "/zuvo/pub/a.me?x=1";
    struct Case
    {
        std::string url;
        bool ok;
        std::string completed;
        std::string server;
        uint16_t port;
        std::string object;
        std::string error;
    };
    const Case cases[] = {
        {local, true, "http://" + local, "127.0.0.1", static_cast<uint16_t>(m_service.Port()),
         "/zuvo/pub/a.me?x=1", ""},
        {"HTTP://ring.example/zuvo/", true, "HTTP://ring.example/zuvo/", "ring.example", 80,
         "/zuvo/", ""},
        {"https://ring.example/a", true, "https://ring.example/a", "ring.example", 443, "/a", ""},
        {"http:///zuvo/login.me", false, "", "", 0, "", "URL地址中主机名丢失！"},
        {"http://ring example/", false, "", "", 0, "", "URL地址解析错误！"},
    };
    for (const Case& c : cases) {
        CHTTPFormClient client(c.url);
        EXPECT_EQ(client.ParseURL(), c.ok) << c.url;
        if (c.ok) {
            EXPECT_EQ(client.GetURL(), c.completed);
            EXPECT_EQ(client.GetServer(), c.server);
            EXPECT_EQ(client.GetPort(), c.port);
            EXPECT_EQ(client.GetObject(), c.object);
        } else {
            EXPECT_EQ(client.GetErrorText(), c.error) << c.url;
        }
    }

    // A URL given without its scheme reaches the service.
    ASSERT_TRUE(m_service.Script({QJsonObject{{"path", "pub/a.me"}, {"body", "OK"}}}));
    CHTTPFormClient client(local);
    client.AddTextField("a", "1");
    EXPECT_TRUE(client.PostForm()) << client.GetErrorText();
}

TEST_F(HTTPFormClientTest, MultipartBodyIsTheAnnouncedLayoutAndLength)
{
    ASSERT_TRUE(m_service.Script({QJsonObject{{"path", "person/up.me"}, {"body", "OK"}}}));
    const QString ringPath = m_files.filePath("我的 \"铃声\".kox");
    const QString voxPath = m_files.filePath("~URING.vox");
    const QByteArray ring = WriteFile(ringPath, RandomBytes(10000));
    const QByteArray vox = WriteFile(voxPath, "0123456789");

    const std::vector<std::pair<std::string, std::string>> texts = {
        {"client", "true"}, {"ringLibZuvo.name", "\xE6\x88\x91\xE7\x9A\x84"}, {"empty", ""}};
    CHTTPFormClient client(m_service.Url("person/up.me"));
    for (const auto& [name, value] : texts)
        client.AddTextField(name, value);
    client.AddFileField("upload", QFile::encodeName(ringPath).toStdString());
    client.AddFileField("vox", QFile::encodeName(voxPath).toStdString());
    client.AddFileField("", "ignored");
    std::vector<unsigned> progress;
    int done = 0;
    client.SetProgressHandler([&](unsigned percent) { progress.push_back(percent); });
    client.SetDoneHandler([&] { ++done; });
    ASSERT_TRUE(client.PostMultipart()) << client.GetErrorText();
    EXPECT_EQ(client.GetResponse(), "OK");
    EXPECT_EQ(done, 1);

    // The length by the layout: 44 bytes of delimiter, 32 of disposition...
    const std::string ringName = "我的 %22铃声%22.kox";
    int64_t textBytes = 0;
    for (const auto& [name, value] : texts)
        textBytes += 44 + 32 + name.size() + value.size() + 15;
    const int64_t length = textBytes + (44 + 32 + 6 + ringName.size() + 42 + 24 + 10000 + 2) +
                           (44 + 32 + 3 + 10 + 42 + 24 + 10 + 2) + 44 + 4;

    const QJsonObject request = m_service.LastRequest("/zuvo/person/up.me");
    EXPECT_EQ(request.value("content_length").toInteger(), length);
    EXPECT_EQ(request.value("body_bytes").toInteger(), length);
    EXPECT_TRUE(request.value("multipart_defects").toArray().isEmpty())
        << QJsonDocument(request.value("multipart_defects").toArray()).toJson().toStdString();
    EXPECT_FALSE(request.value("headers").toObject().contains("expect"));

    const QJsonArray parts = request.value("parts").toArray();
    ASSERT_EQ(parts.size(), 5);
    for (size_t i = 0; i < texts.size(); ++i) {
        const QJsonObject part = parts.at(static_cast<qsizetype>(i)).toObject();
        EXPECT_EQ(part.value("name").toString(), Latin1(texts[i].first));
        EXPECT_TRUE(part.value("filename").isNull());
        EXPECT_EQ(part.value("value").toString(), Latin1(texts[i].second));
    }
    const struct
    {
        QString name;
        std::string filename;
        QByteArray bytes;
    } files[] = {{"upload", ringName, ring}, {"vox", "~URING.vox", vox}};
    for (int i = 0; i < 2; ++i) {
        const QJsonObject part = parts.at(3 + i).toObject();
        EXPECT_EQ(part.value("name").toString(), files[i].name);
        EXPECT_EQ(part.value("filename").toString(), Latin1(files[i].filename));
        EXPECT_EQ(part.value("content_type").toString(), "application/octet-stream");
        EXPECT_EQ(part.value("size").toInt(), files[i].bytes.size());
        EXPECT_EQ(part.value("md5").toString(),
                  QCryptographicHash::hash(files[i].bytes, QCryptographicHash::Md5).toHex());
    }

    // The exact bytes around the parts, boundary from the request's header.
    const QString contentType =
        request.value("headers").toObject().value("content-type").toString();
    ASSERT_TRUE(contentType.startsWith("multipart/form-data; boundary=")) << contentType;
    const QByteArray boundary = contentType.mid(30).toLatin1();
    ASSERT_EQ(boundary.size(), 42);
    const QByteArray body = m_service.RecordedBody(request);
    EXPECT_TRUE(body.startsWith("--" + boundary +
                                "\r\nContent-Disposition: form-data; name=\"client\"\r\n\r\n"
                                "true\r\n--" +
                                boundary + "\r\n"));
    EXPECT_TRUE(body.contains("--" + boundary +
                              "\r\nContent-Disposition: form-data; "
                              "name=\"upload\"; filename=\"" +
                              Bytes(ringName) +
                              "\"\r\nContent-Type: application/octet-stream\r\n\r\n" + ring +
                              "\r\n--" + boundary + "\r\n"));
    EXPECT_TRUE(body.endsWith("\r\n--" + boundary + "--\r\n"));

    // One notice per 4096-byte read; headers, line ends and the closing line
    // are not counted, so the last stays below 100.
    const std::vector<int64_t> sentAfter = {textBytes + 4096, textBytes + 8192, textBytes + 10000,
                                            textBytes + 10010};
    std::vector<unsigned> expected;
    for (const int64_t sent : sentAfter)
        expected.push_back(static_cast<unsigned>(sent * 100 / length));
    EXPECT_EQ(progress, expected);
    EXPECT_LT(progress.back(), 100u);
}

TEST_F(HTTPFormClientTest, MultipartSendsNothingWhenAFileCannotBeRead)
{
    ASSERT_TRUE(m_service.Script({QJsonObject{{"path", "person/up.me"}, {"body", "OK"}}}));
    const QString good = m_files.filePath("good.kox");
    WriteFile(good, "data");
    const QString fifo = m_files.filePath("pipe.vox");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    struct Case
    {
        std::vector<std::string> paths;
        std::string error; // empty: any system message
    };
    const Case cases[] = {
        {{}, "没有需要上传的文件！"},
        {{QFile::encodeName(good).toStdString(),
          QFile::encodeName(m_files.filePath("gone.vox")).toStdString()},
         ""},
        {{QFile::encodeName(fifo).toStdString()}, ""},
        {{QFile::encodeName(m_files.path()).toStdString()}, ""},
    };
    for (const Case& c : cases) {
        CHTTPFormClient client(m_service.Url("person/up.me"));
        client.AddTextField("client", "true");
        for (const std::string& path : c.paths)
            client.AddFileField("f", path);
        int done = 0;
        client.SetDoneHandler([&] { ++done; });
        EXPECT_FALSE(client.PostMultipart());
        if (c.error.empty()) {
            EXPECT_FALSE(client.GetErrorText().empty());
            EXPECT_EQ(done, 1) << "the done notice follows every request that started";
        } else {
            EXPECT_EQ(client.GetErrorText(), c.error);
            EXPECT_EQ(done, 0);
        }
    }
    EXPECT_TRUE(m_service.Log().isEmpty()) << "nothing may reach the service";
}

TEST_F(HTTPFormClientTest, MultipartFailsWhenAFileShrinksDuringTheSend)
{
    ASSERT_TRUE(m_service.Script({QJsonObject{{"path", "person/up.me"}, {"body", "OK"}}}));
    const QString path = m_files.filePath("ring.kox");
    WriteFile(path, RandomBytes(10000));

    CHTTPFormClient client(m_service.Url("person/up.me"));
    client.AddFileField("upload", QFile::encodeName(path).toStdString());
    int done = 0;
    client.SetDoneHandler([&] { ++done; });
    // After the first chunk the file loses its tail: the announced length can
    // no longer be met, and the request must not pass for a whole upload.
    client.SetProgressHandler([&](unsigned) { QFile::resize(path, 5000); });
    EXPECT_FALSE(client.PostMultipart());
    EXPECT_NE(client.GetErrorText().find("announced length"), std::string::npos)
        << client.GetErrorText();
    EXPECT_EQ(done, 1);
}

TEST_F(HTTPFormClientTest, ReplyStatusAndCharsetDecideTheOutcome)
{
    struct Case
    {
        QJsonObject rule;
        Send send;
        bool ok;
        std::string response;
        std::string charset;
        std::string error; // "*": any system message
    };
    const std::string target = m_service.Url("pub/target.me");
    const Case cases[] = {
        {{{"body", "好"}, {"charset", "gbk"}}, Send::Form, true, "\xBA\xC3", "gbk", ""},
        {{{"body", "x"}, {"content_type", "text/plain; Charset=GBK"}},
         Send::Query,
         true,
         "x",
         "gbk",
         ""},
        {{{"body", "x"}, {"content_type", "text/plain"}}, Send::Form, true, "x", "utf-8", ""},
        // A quoted charset is the charset it quotes.
        {{{"body", "好"}, {"content_type", "text/plain; charset=\"UTF-8\""}},
         Send::Form,
         true,
         "\xE5\xA5\xBD",
         "utf-8",
         ""},
        // Not logged in: refused, but the service's words are kept.
        {{{"status", 403}, {"body", "请先登录！"}},
         Send::Query,
         false,
         "\xE8\xAF\xB7\xE5\x85\x88\xE7\x99\xBB\xE5\xBD\x95\xEF\xBC\x81",
         "utf-8",
         "提交表单数据时出现错误！"},
        {{{"status", 401}, {"body", "好"}, {"charset", "gbk"}},
         Send::Form,
         false,
         "\xBA\xC3",
         "gbk",
         "提交表单数据时出现错误！"},
        {{{"body", "好"}, {"charset", "gbk"}}, Send::Multipart, true, "\xBA\xC3", "utf-8", ""},
        {{{"status", 204}}, Send::Form, true, "", "utf-8", ""},
        {{{"status", 302}, {"body", "moved"}, {"location", QString::fromStdString(target)}},
         Send::Form,
         false,
         "",
         "utf-8",
         "提交表单数据时出现错误！"},
        {{{"status", 404}, {"body", "none"}},
         Send::Query,
         false,
         "",
         "utf-8",
         "提交表单数据时出现错误！"},
        {{{"status", 500}, {"body", "err"}},
         Send::Multipart,
         false,
         "",
         "utf-8",
         "文件在上传时出现错误！"},
        {{{"body", "0123456789abcdef"}, {"cut", true}},
         Send::Form,
         false,
         "01234567",
         "utf-8",
         "*"},
        {{{"body", "slowly"}, {"slow", 0.05}}, Send::Form, true, "slowly", "utf-8", ""},
    };
    QJsonArray rules = CaseRules(cases);
    rules.append(QJsonObject{{"path", "pub/target.me"}, {"body", "OK"}});
    ASSERT_TRUE(m_service.Script(rules));
    const QString file = VoxFile();
    for (const Case& c : cases) {
        CHTTPFormClient client(CaseUrl(m_service, static_cast<size_t>(&c - cases)));
        const bool ok = SendField(client, c.send, file);
        SCOPED_TRACE(QJsonDocument(c.rule).toJson(QJsonDocument::Compact).toStdString());
        EXPECT_EQ(ok, c.ok);
        EXPECT_EQ(client.GetResponse(), c.response);
        EXPECT_EQ(client.GetResponseCharset(), c.charset);
        // A reply cut short is no reply.
        EXPECT_EQ(client.GetStatus(), c.rule["cut"].toBool() ? 0 : c.rule["status"].toInt(200));
        if (c.error == "*") {
            EXPECT_FALSE(client.GetErrorText().empty());
        } else {
            EXPECT_EQ(client.GetErrorText(), c.error);
        }
    }
    EXPECT_TRUE(m_service.LastRequest("/zuvo/pub/target.me").isEmpty())
        << "a redirect is not followed";
}

// A reply counts only when its head ended with the blank line and its body
// came whole and within the size limit; anything less fails the send.
TEST_F(HTTPFormClientTest, CutEndlessAndOversizedRepliesFail)
{
    struct Case
    {
        QJsonObject rule;
        Send send;
        bool ok;
    };
    const int statusLine = static_cast<int>(std::strlen("HTTP/1.1 200 OK\r\n"));
    const int limit = CHTTPFormClient::kMaxResponseBytes;
    const Case cases[] = {
        {{{"body", "OK"}, {"head_bytes", statusLine}}, Send::Form, false},
        {{{"body", "OK"}, {"head_bytes", statusLine + 9}}, Send::Query, false},
        {{{"body", "OK"}, {"head_bytes", -2}}, Send::Form, false},
        {{{"body", "OK"}, {"head_bytes", -1}}, Send::Multipart, false},
        {{{"body", "OK"}, {"head_bytes", 0}}, Send::Form, false},
        {{{"status", 100}, {"head_bytes", 1000}}, Send::Form, false},
        {{{"body", "OK"}, {"endless", true}}, Send::Form, false},
        {{{"body", "OK"}, {"endless", true}}, Send::Multipart, false},
        {{{"body", "OK"}, {"fill", limit + 1}}, Send::Query, false},
        {{{"body", "OK"}, {"fill", limit + 1}, {"status", 500}}, Send::Form, false},
        // The limit itself still fits.
        {{{"body", "OK"}, {"fill", limit}}, Send::Form, true},
        {{{"body", "OK"}, {"fill", limit}}, Send::Multipart, true},
    };
    ASSERT_TRUE(m_service.Script(CaseRules(cases)));
    const QString file = VoxFile();
    for (const Case& c : cases) {
        CHTTPFormClient client(CaseUrl(m_service, static_cast<size_t>(&c - cases)));
        const bool ok = SendField(client, c.send, file);
        SCOPED_TRACE(QJsonDocument(c.rule).toJson(QJsonDocument::Compact).toStdString());
        EXPECT_EQ(ok, c.ok) << client.GetErrorText();
        EXPECT_LE(client.GetResponse().size(), static_cast<size_t>(limit));
        if (c.ok)
            EXPECT_EQ(client.GetResponse().substr(0, 2), "OK");
        else
            EXPECT_FALSE(client.GetErrorText().empty());
    }
}

TEST_F(HTTPFormClientTest, FormsEndAtTheirDeadlineUploadsOnlyWhenNothingMoves)
{
    CHTTPFormClient::Timeouts quick;
    quick.formDeadlineMs = 1000;
    const ScopedTimeouts timeouts(quick);
    // A service that accepts and never answers, one that answers two bytes a
    // second, and one that answers after longer than a form may take.
    ASSERT_TRUE(m_service.Script({
        QJsonObject{{"path", "pub/silent.me"}, {"stall", 60}},
        QJsonObject{{"path", "pub/trickle.me"}, {"body", QString(100, 'O')}, {"slow", 0.5}},
        QJsonObject{{"path", "person/late.me"}, {"delay", 2.0}, {"body", "OK"}},
    }));
    for (const std::string path : {"pub/silent.me", "pub/trickle.me"}) {
        QElapsedTimer timer;
        timer.start();
        CHTTPFormClient form(m_service.Url(path));
        form.AddTextField("a", "1");
        EXPECT_FALSE(form.PostForm()) << path;
        EXPECT_FALSE(form.GetErrorText().empty()) << path;
        CHTTPFormClient query(m_service.Url(path));
        EXPECT_FALSE(query.PostQuery()) << path;
        // Far sooner than the service would have let go.
        EXPECT_LT(timer.elapsed(), 20000) << path;
    }
    CHTTPFormClient late(m_service.Url("person/late.me"));
    late.AddTextField("a", "1");
    EXPECT_FALSE(late.PostForm());

    // An upload may take longer than a form.
    CHTTPFormClient upload(m_service.Url("person/late.me"));
    upload.AddFileField("vox", QFile::encodeName(VoxFile()).toStdString());
    EXPECT_TRUE(upload.PostMultipart()) << upload.GetErrorText();
    EXPECT_EQ(upload.GetResponse(), "OK");
}

// An upload's time grows with its size; a reply that drips one byte a second
// (ten minutes for the whole) ends at the deadline with the failure result.
TEST_F(HTTPFormClientTest, AnUploadEndsByItsDeadline)
{
    CHTTPFormClient::Timeouts quick;
    quick.uploadBaseMs = 1500;
    quick.uploadFloorBytesPerSecond = 500000;
    const ScopedTimeouts timeouts(quick);
    ASSERT_TRUE(m_service.Script({
        QJsonObject{{"path", "pub/drip.me"}, {"body", QString(600, 'O')}, {"slow", 1.0}},
        QJsonObject{{"path", "pub/late.me"}, {"delay", 3.0}, {"body", "OK"}},
    }));
    QElapsedTimer timer;
    timer.start();
    CHTTPFormClient drip(m_service.Url("pub/drip.me"));
    drip.AddFileField("vox", QFile::encodeName(VoxFile()).toStdString());
    int done = 0;
    drip.SetDoneHandler([&] { ++done; });
    EXPECT_FALSE(drip.PostMultipart());
    EXPECT_FALSE(drip.GetErrorText().empty());
    EXPECT_EQ(done, 1);
    EXPECT_GE(timer.elapsed(), 1400);
    EXPECT_LT(timer.elapsed(), 20000);

    // A body of 2 MB at the floor rate earns four more seconds: a reply after
    // 3 s still counts.
    const QString big = m_files.filePath("big.vox");
    WriteFile(big, QByteArray(2000000, 'v'));
    CHTTPFormClient late(m_service.Url("pub/late.me"));
    late.AddFileField("vox", QFile::encodeName(big).toStdString());
    EXPECT_TRUE(late.PostMultipart()) << late.GetErrorText();
    // Without them it would not.
    CHTTPFormClient small(m_service.Url("pub/late.me"));
    small.AddFileField("vox", QFile::encodeName(VoxFile()).toStdString());
    EXPECT_FALSE(small.PostMultipart());
}

TEST(HTTPFormClient, ContentTypeCharsetReadsTheParameter)
{
    const struct
    {
        const char* contentType;
        const char* charset; // empty: none
    } cases[] = {
        {"text/plain; charset=utf-8", "utf-8"},
        {"text/plain; charset=\"utf-8\"", "utf-8"},
        {"text/plain;CHARSET=\"UTF-8\"", "utf-8"},
        {"text/plain; Charset=GBK", "gbk"},
        {"text/html; charset=utf-8; format=flowed", "utf-8"},
        {"text/html; format=flowed; charset=\"gb2312\" ; q=1", "gb2312"},
        {"text/plain; charset = utf-8 ", "utf-8"},
        // A quoted value may hold ';', '=' and escaped quotes.
        {"text/plain; x=\"a;charset=gbk\"; charset=utf-8", "utf-8"},
        {"text/plain; x=\"a\\\";charset=gbk\"; charset=utf-8", "utf-8"},
        {"text/plain; charset=\"ut\\f-8\"", "utf-8"},
        // The first one counts.
        {"text/plain; charset=gbk; charset=utf-8", "gbk"},
        // Not a charset parameter, or none at all.
        {"text/plain; xcharset=gbk", ""},
        {"charset=gbk", ""},
        {"text/plain", ""},
        {"", ""},
        {"text/plain; charset", ""},
        {"text/plain; charset=", ""},
        {"text/plain; charset=\"", ""},
        {"text/plain; charset=\"utf-8", "utf-8"},
        {"text/plain;;; charset=gbk", "gbk"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CHTTPFormClient::ContentTypeCharset(c.contentType), c.charset) << c.contentType;
}

TEST_F(HTTPFormClientTest, ACancelledSendEndsAtOnce)
{
    ASSERT_TRUE(m_service.Script({QJsonObject{{"path", "pub/silent.me"}, {"stall", 60}}}));
    auto cancel = std::make_shared<RequestCancel>();
    CHTTPFormClient client(m_service.Url("pub/silent.me"));
    client.AddTextField("a", "1");
    client.SetCancel(cancel);
    bool sent = true;
    std::thread worker([&] { sent = client.PostForm(); });
    const bool arrived = TestEnvironment::WaitFor(
        [&] { return !m_service.LastRequest("/zuvo/pub/silent.me").isEmpty(); }, 20000);
    QElapsedTimer timer;
    timer.start();
    cancel->Cancel();
    worker.join();
    ASSERT_TRUE(arrived);
    EXPECT_FALSE(sent);
    // The service would have held it for a minute.
    EXPECT_LT(timer.elapsed(), 5000);

    // Called off before it started: nothing goes out.
    const int requests = m_service.Log().size();
    CHTTPFormClient after(m_service.Url("pub/form.me"));
    after.AddTextField("a", "1");
    after.SetCancel(cancel);
    EXPECT_FALSE(after.PostForm());
    EXPECT_EQ(m_service.Log().size(), requests);
}

TEST_F(HTTPFormClientTest, DeadConnectionsEndWithTheFailureResult)
{
    const ScopedTimeouts timeouts({2000, 1});
    ASSERT_TRUE(m_service.Script({QJsonObject{{"path", "pub/stall.me"}, {"stall", 60}}}));
    const QString file = m_files.filePath("a.vox");
    WriteFile(file, "vox");

    QElapsedTimer timer;
    timer.start();
    CHTTPFormClient form(m_service.Url("pub/stall.me"));
    form.AddTextField("a", "1");
    EXPECT_FALSE(form.PostForm());
    EXPECT_FALSE(form.GetErrorText().empty());
    EXPECT_NE(form.GetErrorText(), "提交表单数据时出现错误！");

    CHTTPFormClient upload(m_service.Url("pub/stall.me"));
    upload.AddFileField("vox", QFile::encodeName(file).toStdString());
    int done = 0;
    upload.SetDoneHandler([&] { ++done; });
    EXPECT_FALSE(upload.PostMultipart());
    EXPECT_EQ(done, 1);
    // Both gave up long before the service would have answered.
    EXPECT_LT(timer.elapsed(), 40000);

    // Nobody listening: refused at once, the same failure result.
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 closedPort = probe.serverPort();
    probe.close();
    CHTTPFormClient refused("http://127.0.0.1:" + std::to_string(closedPort) + "/zuvo/login.me");
    refused.AddTextField("a", "1");
    EXPECT_FALSE(refused.PostForm());
    EXPECT_FALSE(refused.GetErrorText().empty());
}

} // namespace
