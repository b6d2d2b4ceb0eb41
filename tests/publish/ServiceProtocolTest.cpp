#include "publish/HTTPFormClient.h"
#include "publish/ServiceProtocol.h"
#include "tests/publish/RingServiceFixture.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

const std::string kUtf8 = "utf-8";

QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// Sets ZUVO_SERVICE_HOST for one scope.
class ServiceHostOverride
{
public:
    explicit ServiceHostOverride(const std::string& host)
    {
        qputenv("ZUVO_SERVICE_HOST", QByteArray::fromStdString(host));
    }
    ~ServiceHostOverride() { qunsetenv("ZUVO_SERVICE_HOST"); }
};

std::vector<std::pair<std::string, std::string>> Fields(const ServiceRequest& request)
{
    std::vector<std::pair<std::string, std::string>> fields;
    for (const CHTTPFormFieldText& field : request.textFields)
        fields.emplace_back(field.GetName(), field.GetValue());
    return fields;
}

TEST(ServiceProtocol, AddressesComeFromTheBuildOrTheEnvironment)
{
    qunsetenv("ZUVO_SERVICE_HOST");
    EXPECT_EQ(ServiceHost(), ZUVO_SERVICE_HOST_DEFAULT);
    EXPECT_EQ(ServiceBaseUrl(), "http://" ZUVO_SERVICE_HOST_DEFAULT "/zuvo/");
    {
        const ServiceHostOverride host("ring.example:8080");
        EXPECT_EQ(ServiceUrl(ServicePath::kLogin), "http://ring.example:8080/zuvo/login.me");
        EXPECT_EQ(MakeFeeQueryRequest().url,
                  "http://ring.example:8080/zuvo/person/fee_ringLibZuvo.me?clientversion=1");
    }
    qputenv("ZUVO_SERVICE_HOST", "");
    EXPECT_EQ(ServiceHost(), ZUVO_SERVICE_HOST_DEFAULT);
    qunsetenv("ZUVO_SERVICE_HOST");
}

TEST(ServiceProtocol, RequestsCarryTheirFieldsInOrder)
{
    const ServiceHostOverride host("h");
    using Method = ServiceRequest::Method;

    const ServiceRequest login = MakeLoginRequest(" 13800000000 ", Text("12\xE4\xB8\xAD\t"));
    EXPECT_EQ(login.method, Method::Form);
    EXPECT_EQ(login.url, "http://h/zuvo/login.me");
    EXPECT_EQ(Fields(login), (std::vector<std::pair<std::string, std::string>>{
                                 {"loginid", "13800000000"},
                                 {"password", "12\xD6\xD0"}, // GBK, trimmed
                                 {"client", "true"}}));

    const ServiceRequest code = MakeValCodeRequest("13800000000");
    EXPECT_EQ(code.url, "http://h/zuvo/pub/getValCode.me");
    EXPECT_EQ(Fields(code),
              (std::vector<std::pair<std::string, std::string>>{{"mobile", "13800000000"}}));

    const ServiceRequest fee = MakeFeeQueryRequest();
    EXPECT_EQ(fee.method, Method::Query);
    EXPECT_TRUE(fee.textFields.empty());

    const ServiceRequest order = MakeMonthOrderRequest(true, false);
    EXPECT_EQ(order.url, "http://h/zuvo/person/monthOrderResponse.me");
    EXPECT_EQ(Fields(order), (std::vector<std::pair<std::string, std::string>>{
                                 {"order", "true"}, {"noprompt", "false"}}));

    const ServiceRequest upload =
        MakeUploadRequest(Text("我的·铃声"), "/tmp/r/我的.kox", "/tmp/w/~URING.vox", false);
    EXPECT_EQ(upload.method, Method::Multipart);
    EXPECT_EQ(upload.url, "http://h/zuvo/person/add_ringLibZuvo.me");
    const std::string name = "我的·铃声"; // UTF-8 source text
    EXPECT_EQ(Fields(upload), (std::vector<std::pair<std::string, std::string>>{
                                  {"ringLibZuvo.name", name},
                                  {"ringLibZuvo.intro", name},
                                  {"client", "true"},
                                  {"ringLibZuvo.isshare", "false"}}));
    ASSERT_EQ(upload.fileFields.size(), 2u);
    EXPECT_EQ(upload.fileFields[0].GetName(), "upload");
    EXPECT_EQ(upload.fileFields[0].GetFilePath(), "/tmp/r/我的.kox");
    EXPECT_EQ(upload.fileFields[1].GetName(), "vox");
    EXPECT_EQ(upload.fileFields[1].GetFilePath(), "/tmp/w/~URING.vox");
    EXPECT_EQ(Fields(MakeUploadRequest("a", "r", "v", true))[3].second, "true");
}

TEST(ServiceProtocol, LoginAndCodeRepliesReadAsTheServiceMeansThem)
{
    struct LoginCase
    {
        bool sent;
        std::string reply;
        std::string charset;
        bool loggedIn;
        QString message;
    };
    const LoginCase logins[] = {
        {true, "", kUtf8, true, ""},
        {true, "OK", kUtf8, true, ""},
        {true, "ok, welcome", kUtf8, true, ""},
        {true, " OK", kUtf8, false, " OK"},
        {true, "验证码错误", kUtf8, false, Text("验证码错误")},
        {true, "\xD1\xE9\xD6\xA4", "gbk", false, Text("验证")},
        {true, "100%s%n", kUtf8, false, "100%s%n"},
        {false, "", kUtf8, false, Text("发送数据失败！")},
    };
    for (const LoginCase& c : logins) {
        const LoginOutcome outcome = ClassifyLoginReply(c.sent, c.reply, c.charset);
        EXPECT_EQ(outcome.loggedIn, c.loggedIn) << c.reply;
        EXPECT_EQ(outcome.message, c.message) << c.reply;
    }

    struct CodeCase
    {
        bool sent;
        std::string reply;
        QString message;
    };
    const CodeCase codes[] = {
        {true, "0", Text("验证码发送成功，请注意查收！")},
        {true, "0\r\n", Text("验证码发送成功，请注意查收！")},
        {true, " 1 ", Text("发送验证码失败，请联系管理员！")},
        {true, "10", "10"},
        {true, "号码无效", Text("号码无效")},
        {false, "0", Text("发送数据失败！")},
    };
    for (const CodeCase& c : codes)
        EXPECT_EQ(ValCodeReplyMessage(c.sent, c.reply, kUtf8), c.message) << c.reply;
}

// A message box lays out all it holds: long service text is shown cut, the
// fee question still at its end.
TEST(ServiceProtocol, TicketLoginsKeepOrReplaceTheIdentity)
{
    const ServiceHostOverride host("h");
    const ServiceRequest login = MakeTicketLoginRequest(Text("1390000\xE4\xB8\xAD"), "t 1");
    EXPECT_EQ(login.method, ServiceRequest::Method::Form);
    EXPECT_EQ(login.url, "http://h/zuvo/login.me");
    EXPECT_EQ(Fields(login),
              (std::vector<std::pair<std::string, std::string>>{
                  {"loginid", "1390000\xD6\xD0"}, {"ticket", "t 1"}, {"client", "true"}}));

    const QString uid = Text("13900000000");
    const QString failed = Text("彩铃Zuvo用新的13900000000身份登录到Zuvo服务器时失败，"
                                "彩铃Zuvo将使用原来的13800000000身份。");
    const QString sendFailed = Text("彩铃Zuvo用新的13900000000身份登录到Zuvo服务器时发送数据失败，"
                                    "彩铃Zuvo将使用原来的13800000000身份。");
    struct Case
    {
        bool sent;
        long status;
        std::string reply;
        const char* current;
        bool loggedIn;
        QString message;
    };
    const Case cases[] = {
        {true, 200, "", "13800000000", true, {}},
        {true, 200, "ok then", "", true, {}},
        {true, 204, "", "", true, {}},
        {true, 200, "票据无效", "13800000000", false, failed},
        {true, 200, "票据无效", "", false, {}},
        // An empty body of a refused request is no success.
        {false, 500, "", "13800000000", false, sendFailed},
        {false, 302, "", "13800000000", false, sendFailed},
        {false, 0, "", "13800000000", false, sendFailed},
        {false, 500, "", "", false, {}},
    };
    for (const Case& c : cases) {
        const LoginOutcome outcome =
            ClassifyTicketLoginReply(c.sent, c.status, c.reply, uid, Text(c.current));
        EXPECT_EQ(outcome.loggedIn, c.loggedIn) << c.status << " " << c.reply;
        EXPECT_EQ(outcome.message, c.message) << c.status << " " << c.reply;
    }

    // A uid from outside is shown as it is, never as a format, and bounded.
    const LoginOutcome odd =
        ClassifyTicketLoginReply(true, 200, "no", Text("%1<b>x</b>\n"), Text("%2"));
    EXPECT_EQ(odd.message, Text("彩铃Zuvo用新的%1<b>x</b>?身份登录到Zuvo服务器时失败，"
                                "彩铃Zuvo将使用原来的%2身份。"));
    const QString huge(100000, u'9');
    EXPECT_EQ(ShownIdentity(huge), QString(kMaxShownReplyChars, u'9') + u'…');
}

TEST(ServiceProtocol, LongRepliesAreShownCut)
{
    const qsizetype limit = kMaxShownReplyChars;
    const std::string chinese = "彩";
    std::string long1;
    for (qsizetype i = 0; i < 2 * limit; ++i)
        long1 += chinese;
    const QString cut = QString(limit, QChar(0x5F69)) + u'…';
    const QString fits = QString(limit, QChar(0x5F69));
    std::string fitting;
    for (qsizetype i = 0; i < limit; ++i)
        fitting += chinese;

    EXPECT_EQ(ClassifyLoginReply(true, long1, kUtf8).message, cut);
    EXPECT_EQ(ClassifyLoginReply(true, fitting, kUtf8).message, fits);
    EXPECT_EQ(ValCodeReplyMessage(true, long1, kUtf8), cut);
    EXPECT_EQ(ClassifyMonthOrderReply(true, long1, kUtf8).message, cut);
    EXPECT_EQ(UploadReplyMessage(true, long1), cut);
    EXPECT_EQ(ClassifyFeeReply(true, long1, kUtf8).message, cut + Text("\r\n继续吗？"));
    const FeeDecision offer =
        ClassifyFeeReply(true, "SHOWMONTHOPTION|a|b|" + long1 + "|true", kUtf8);
    EXPECT_EQ(offer.tokens[2], cut);
    EXPECT_EQ(offer.tokens[3], "true");
}

TEST(ServiceProtocol, FeeRepliesLeadToTheirSteps)
{
    using Kind = FeeDecision::Kind;
    struct Case
    {
        bool sent;
        std::string reply;
        std::string charset;
        Kind kind;
        QString message;
        std::array<QString, 4> tokens;
    };
    const Case cases[] = {
        {false, "", kUtf8, Kind::Stop, Text("向服务器发送数据失败！"), {}},
        {true, "", kUtf8, Kind::Stop, Text("获取资费信息时出现错误！"), {}},
        {true, "NOFEEPROMPT", kUtf8, Kind::GoOn, "", {}},
        {true, "NOFEEPROMPT and more", kUtf8, Kind::GoOn, "", {}},
        {true,
         "SHOWMONTHOPTION|x||z|true",
         kUtf8,
         Kind::OfferMonthPlan,
         "",
         {"x", "z", "true", ""}},
        {true,
         "SHOWMONTHOPTION|包月|按次|说明|TRUE|extra",
         kUtf8,
         Kind::OfferMonthPlan,
         "",
         {Text("包月"), Text("按次"), Text("说明"), "TRUE"}},
        {true, "SHOWMONTHOPTION|", kUtf8, Kind::OfferMonthPlan, "", {}},
        {true, "每首1元", kUtf8, Kind::AskToGoOn, Text("每首1元\r\n继续吗？"), {}},
        {true, "%s%s", kUtf8, Kind::AskToGoOn, Text("%s%s\r\n继续吗？"), {}},
        // Another charset is never taken for a keyword.
        {true, "NOFEEPROMPT", "gbk", Kind::AskToGoOn, Text("NOFEEPROMPT\r\n继续吗？"), {}},
        {true, "\xC3\xBF\xCA\xD7", "gb2312", Kind::AskToGoOn, Text("每首\r\n继续吗？"), {}},
    };
    for (const Case& c : cases) {
        const FeeDecision decision = ClassifyFeeReply(c.sent, c.reply, c.charset);
        EXPECT_EQ(decision.kind, c.kind) << c.reply;
        EXPECT_EQ(decision.message, c.message) << c.reply;
        EXPECT_EQ(decision.tokens, c.tokens) << c.reply;
    }
}

TEST(ServiceProtocol, MonthOrderAndUploadOutcomes)
{
    struct StepCase
    {
        bool monthly;
        bool noPrompt;
        QString token;
        bool post;
        bool goOn;
        bool order;
        bool sentNoPrompt;
    };
    const StepCase steps[] = {
        {false, false, "true", false, true, false, false},
        {false, false, "True", false, true, false, false},
        {false, false, "false", false, false, false, false},
        {false, false, "", false, false, false, false},
        {false, true, "false", true, false, false, true},
        {true, false, "false", true, false, true, false},
        {true, true, "true", true, false, true, true},
    };
    for (const StepCase& c : steps) {
        const MonthOrderStep step = DecideMonthOrder(c.monthly, c.noPrompt, c.token);
        SCOPED_TRACE(std::to_string(c.monthly) + std::to_string(c.noPrompt) +
                     c.token.toStdString());
        EXPECT_EQ(step.postAnswer, c.post);
        EXPECT_EQ(step.goOn, c.goOn);
        if (c.post) {
            EXPECT_EQ(step.order, c.order);
            EXPECT_EQ(step.noPrompt, c.sentNoPrompt);
        }
    }

    EXPECT_TRUE(ClassifyMonthOrderReply(true, "", kUtf8).goOn);
    EXPECT_TRUE(ClassifyMonthOrderReply(true, "Ok", kUtf8).goOn);
    const MonthOrderOutcome refused = ClassifyMonthOrderReply(true, "余额不足", kUtf8);
    EXPECT_FALSE(refused.goOn);
    EXPECT_EQ(refused.message, Text("余额不足"));
    EXPECT_EQ(ClassifyMonthOrderReply(false, "", kUtf8).message, Text("发送数据失败！"));

    EXPECT_EQ(UploadReplyMessage(true, "oK"), Text("彩铃上传成功！"));
    EXPECT_EQ(UploadReplyMessage(true, "名称重复"), Text("名称重复"));
    EXPECT_EQ(UploadReplyMessage(true, ""), "");
    EXPECT_EQ(
        UploadReplyMessage(false, "OK"),
        Text("铃音上传时出现异常！请到『彩铃管理』的『Zuvo彩铃库』中确认铃音是否已经上传成功。"));
}

TEST(ServiceProtocol, ALostLoginShowsTheServicesWords)
{
    for (const long status : {0L, 200L, 302L, 400L, 404L, 500L})
        EXPECT_FALSE(IsLoginLost(status)) << status;
    EXPECT_TRUE(IsLoginLost(401));
    EXPECT_TRUE(IsLoginLost(403));
    EXPECT_EQ(LoginLostMessage("请先登录！\r\n", kUtf8), Text("请先登录！"));
    EXPECT_EQ(LoginLostMessage("\xC7\xEB\xCF\xC8\xB5\xC7\xC2\xBC", "gbk"), Text("请先登录"));
    // Plain text, never markup.
    EXPECT_EQ(LoginLostMessage("<b>%s</b>", kUtf8), Text("<b>%s</b>"));
    EXPECT_EQ(LoginLostMessage("", kUtf8), Text(ServiceText::kLoginLost));
    EXPECT_EQ(LoginLostMessage(" \n", kUtf8), Text(ServiceText::kLoginLost));
}

TEST(ServiceProtocol, ReplyTextIsConvertedOnlyFromUtf8)
{
    EXPECT_EQ(ServiceReplyText("彩铃", kUtf8), Text("彩铃"));
    EXPECT_EQ(ServiceReplyText("\xB2\xCA\xC1\xE5", "gbk"), Text("彩铃"));
    // Broken UTF-8 shows '?' for what cannot be read, never anything beyond.
    EXPECT_EQ(ServiceReplyText("ab\xE5\xBD", kUtf8), "ab?");
    EXPECT_EQ(ServiceReplyText("a\xC3\xA4\xF0\x9F\x98\x80", kUtf8), Text("a??"));
}

// The whole road against the stand-in: code, login, fee query, month-order
// answer, upload from a worker thread. The session cookie set at login must
// ride on every later request, whichever thread sends it.
// A reply cut in its head, one without end and one far too long are no reply:
// each request says what it says when nothing came back.
TEST(ServiceProtocol, BrokenRepliesFailEachRequestWithItsOwnWords)
{
    RingServiceFixture service;
    ASSERT_TRUE(service.IsRunning()) << service.StartError();
    const ServiceHostOverride host(service.HostPort());
    QTemporaryDir files;
    const QString ringPath = files.filePath("a.kox");
    const QString voxPath = files.filePath("~URING.vox");
    for (const QString& path : {ringPath, voxPath}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("ring");
    }

    const QJsonObject faults[] = {
        {{"body", "OK"}, {"head_bytes", 17}},
        {{"body", "OK"}, {"head_bytes", 30}},
        {{"body", "OK"}, {"endless", true}},
        {{"body", "OK"}, {"fill", 3 << 20}},
    };
    for (const QJsonObject& fault : faults) {
        QJsonArray rules;
        for (const char* path : {ServicePath::kLogin, "person/fee_ringLibZuvo.me",
                                 ServicePath::kMonthOrder, ServicePath::kUpload}) {
            QJsonObject rule = fault;
            rule["path"] = path;
            rules.append(rule);
        }
        ASSERT_TRUE(service.Script(rules));
        const std::string row = QJsonDocument(fault).toJson(QJsonDocument::Compact).toStdString();

        CHTTPFormClient login;
        bool sent = SendServiceRequest(login, MakeLoginRequest("13800000000", "123456"));
        const LoginOutcome outcome =
            ClassifyLoginReply(sent, login.GetResponse(), login.GetResponseCharset());
        EXPECT_FALSE(outcome.loggedIn) << row;
        EXPECT_EQ(outcome.message, Text("发送数据失败！")) << row;

        CHTTPFormClient fee;
        sent = SendServiceRequest(fee, MakeFeeQueryRequest());
        const FeeDecision decision =
            ClassifyFeeReply(sent, fee.GetResponse(), fee.GetResponseCharset());
        EXPECT_EQ(decision.kind, FeeDecision::Kind::Stop) << row;
        EXPECT_EQ(decision.message, Text("向服务器发送数据失败！")) << row;

        CHTTPFormClient answer;
        sent = SendServiceRequest(answer, MakeMonthOrderRequest(true, false));
        const MonthOrderOutcome order =
            ClassifyMonthOrderReply(sent, answer.GetResponse(), answer.GetResponseCharset());
        EXPECT_FALSE(order.goOn) << row;
        EXPECT_EQ(order.message, Text("发送数据失败！")) << row;

        CHTTPFormClient upload;
        sent = SendServiceRequest(upload, MakeUploadRequest("a", ringPath, voxPath, true));
        EXPECT_EQ(UploadReplyMessage(sent, upload.GetResponse()),
                  Text("铃音上传时出现异常！请到『彩铃管理』的『Zuvo彩铃库』中确认铃音是否已经上传"
                       "成功。"))
            << row;
    }
}

TEST(ServiceProtocol, RoadAgainstTheStandInKeepsTheLoginForEveryThread)
{
    RingServiceFixture service;
    ASSERT_TRUE(service.IsRunning()) << service.StartError();
    const ServiceHostOverride host(service.HostPort());
    const QString mobile = "13800000000";

    CHTTPFormClient codeClient;
    bool sent = SendServiceRequest(codeClient, MakeValCodeRequest(mobile));
    EXPECT_EQ(ValCodeReplyMessage(sent, codeClient.GetResponse(), codeClient.GetResponseCharset()),
              Text("验证码发送成功，请注意查收！"));
    const QString code = service.CodeFor(mobile);
    ASSERT_EQ(code.size(), 6);

    CHTTPFormClient wrongLogin;
    sent = SendServiceRequest(wrongLogin, MakeLoginRequest(mobile, "x" + code));
    const LoginOutcome refused =
        ClassifyLoginReply(sent, wrongLogin.GetResponse(), wrongLogin.GetResponseCharset());
    EXPECT_FALSE(refused.loggedIn);
    EXPECT_FALSE(refused.message.isEmpty());

    CHTTPFormClient login;
    sent = SendServiceRequest(login, MakeLoginRequest(mobile, code));
    ASSERT_TRUE(ClassifyLoginReply(sent, login.GetResponse(), login.GetResponseCharset()).loggedIn)
        << login.GetErrorText() << login.GetResponse();
    EXPECT_EQ(service.LastRequest("/zuvo/login.me").value("form").toArray(),
              (QJsonArray{QJsonArray{"loginid", mobile}, QJsonArray{"password", code},
                          QJsonArray{"client", "true"}}));

    CHTTPFormClient fee;
    sent = SendServiceRequest(fee, MakeFeeQueryRequest());
    const FeeDecision offer = ClassifyFeeReply(sent, fee.GetResponse(), fee.GetResponseCharset());
    ASSERT_EQ(offer.kind, FeeDecision::Kind::OfferMonthPlan) << fee.GetResponse();
    EXPECT_FALSE(offer.tokens[0].isEmpty());
    const QJsonObject feeRequest = service.LastRequest("/zuvo/person/fee_ringLibZuvo.me");
    EXPECT_EQ(feeRequest.value("session_user").toString(), mobile);
    EXPECT_EQ(feeRequest.value("query").toString(), "clientversion=1");

    // Pay per ring and never ask again: the answer is posted.
    const MonthOrderStep step = DecideMonthOrder(false, true, offer.tokens[3]);
    ASSERT_TRUE(step.postAnswer);
    CHTTPFormClient answer;
    sent = SendServiceRequest(answer, MakeMonthOrderRequest(step.order, step.noPrompt));
    EXPECT_TRUE(
        ClassifyMonthOrderReply(sent, answer.GetResponse(), answer.GetResponseCharset()).goOn);

    // Requests from several threads at once all carry the session.
    std::vector<std::thread> workers;
    std::vector<int> kinds(4, -1);
    for (size_t i = 0; i < kinds.size(); ++i) {
        workers.emplace_back([&kinds, i] {
            CHTTPFormClient client;
            const bool ok = SendServiceRequest(client, MakeFeeQueryRequest());
            kinds[i] = static_cast<int>(
                ClassifyFeeReply(ok, client.GetResponse(), client.GetResponseCharset()).kind);
        });
    }
    for (std::thread& worker : workers)
        worker.join();
    for (const int kind : kinds)
        EXPECT_EQ(kind, static_cast<int>(FeeDecision::Kind::GoOn));

    QTemporaryDir files;
    const QString ringPath = files.filePath("周末.kox");
    const QString voxPath = files.filePath("~URING.vox");
    QByteArray ring(5000, '\0');
    for (int i = 0; i < ring.size(); ++i)
        ring[i] = static_cast<char>(i * 7);
    for (const auto& [path, bytes] :
         {std::pair{ringPath, ring}, std::pair{voxPath, ring.left(77)}}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    bool uploaded = false;
    std::string reply;
    std::vector<unsigned> progress;
    std::thread worker([&] {
        CHTTPFormClient client;
        client.SetProgressHandler([&](unsigned percent) { progress.push_back(percent); });
        uploaded = SendServiceRequest(
            client, MakeUploadRequest(Text("周末·铃声"), ringPath, voxPath, true));
        reply = client.GetResponse();
    });
    worker.join();
    EXPECT_EQ(UploadReplyMessage(uploaded, reply), Text("彩铃上传成功！"));
    EXPECT_EQ(progress.size(), 3u);

    const QJsonObject upload = service.LastRequest("/zuvo/person/add_ringLibZuvo.me");
    EXPECT_EQ(upload.value("session_user").toString(), mobile);
    const QJsonArray parts = upload.value("parts").toArray();
    ASSERT_EQ(parts.size(), 6);
    const QString name = QString::fromLatin1(QByteArray("周末·铃声"));
    EXPECT_EQ(parts.at(0).toObject().value("value").toString(), name);
    EXPECT_EQ(parts.at(1).toObject().value("value").toString(), name);
    EXPECT_EQ(parts.at(3).toObject().value("value").toString(), "true");
    EXPECT_EQ(parts.at(4).toObject().value("filename").toString(),
              QString::fromLatin1(QByteArray("周末.kox")));
    EXPECT_EQ(parts.at(4).toObject().value("md5").toString(),
              QCryptographicHash::hash(ring, QCryptographicHash::Md5).toHex());
    EXPECT_EQ(parts.at(5).toObject().value("filename").toString(), "~URING.vox");
}

} // namespace
