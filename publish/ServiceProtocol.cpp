#include "publish/ServiceProtocol.h"

#include "publish/HTTPFormClient.h"
#include "platform/TextCoding.h"

#include <QFile>

#ifndef ZUVO_SERVICE_HOST_DEFAULT
#error "ZUVO_SERVICE_HOST_DEFAULT names the service host the build talks to"
#endif
#if !defined(ZUVO_SERVICE_HOME_DEFAULT) || !defined(ZUVO_MUSIC_PORTAL_DEFAULT)
#error "ZUVO_SERVICE_HOME_DEFAULT and ZUVO_MUSIC_PORTAL_DEFAULT name the deployment's pages"
#endif

namespace {

std::string Gbk(const QString& text)
{
    std::string gbk;
    WideToGbk(gbk, text);
    return gbk;
}

std::string LocalPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

const char* TrueFalse(bool value)
{
    return value ? "true" : "false";
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string Trimmed(const std::string& text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsSpace(text[begin]))
        ++begin;
    while (end > begin && IsSpace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

// Reply text holds no surrogate pairs (GBK and the three-byte UTF-8 rule give
// none), so any cut is between characters.
QString Shown(QString text)
{
    if (text.size() <= kMaxShownReplyChars)
        return text;
    text.truncate(kMaxShownReplyChars);
    return text + u'…';
}

QString ShownReply(const std::string& reply, const std::string& charset)
{
    return Shown(ServiceReplyText(reply, charset));
}

bool IsAcceptedReply(const std::string& reply)
{
    return reply.empty() || ReplyStartsWithOk(reply);
}

} // namespace

std::string ServiceHost()
{
    const QString host = qEnvironmentVariable("ZUVO_SERVICE_HOST");
    return host.isEmpty() ? std::string(ZUVO_SERVICE_HOST_DEFAULT) : host.toStdString();
}

std::string ServiceBaseUrl()
{
    return "http://" + ServiceHost() + "/zuvo/";
}

std::string ServiceUrl(std::string_view path)
{
    return ServiceBaseUrl() + std::string(path);
}

namespace {

std::string DeploymentUrl(const char* variable, const char* configured, const char* page)
{
    const QString set = qEnvironmentVariable(variable);
    if (!set.isEmpty())
        return set.toStdString();
    if (*configured)
        return configured;
    return "http://" + ServiceHost() + page;
}

} // namespace

std::string ServiceHomePageUrl()
{
    return DeploymentUrl("ZUVO_SERVICE_HOME", ZUVO_SERVICE_HOME_DEFAULT, "/zuvo/");
}

std::string MusicPortalUrl()
{
    return DeploymentUrl("ZUVO_MUSIC_PORTAL", ZUVO_MUSIC_PORTAL_DEFAULT, "/portal/");
}

ServiceRequest MakeLoginRequest(const QString& mobile, const QString& code)
{
    ServiceRequest request;
    request.url = ServiceUrl(ServicePath::kLogin);
    request.textFields = {
        {"loginid", Gbk(mobile.trimmed())}, {"password", Gbk(code.trimmed())}, {"client", "true"}};
    return request;
}

ServiceRequest MakeTicketLoginRequest(const QString& uid, const QString& ticket)
{
    ServiceRequest request;
    request.url = ServiceUrl(ServicePath::kLogin);
    request.textFields = {{"loginid", Gbk(uid)}, {"ticket", Gbk(ticket)}, {"client", "true"}};
    return request;
}

ServiceRequest MakeValCodeRequest(const QString& mobile)
{
    ServiceRequest request;
    request.url = ServiceUrl(ServicePath::kValCode);
    request.textFields = {{"mobile", Gbk(mobile.trimmed())}};
    return request;
}

ServiceRequest MakeFeeQueryRequest()
{
    ServiceRequest request;
    request.method = ServiceRequest::Method::Query;
    request.url = ServiceUrl(ServicePath::kFeeQuery);
    return request;
}

ServiceRequest MakeMonthOrderRequest(bool order, bool noPrompt)
{
    ServiceRequest request;
    request.url = ServiceUrl(ServicePath::kMonthOrder);
    request.textFields = {{"order", TrueFalse(order)}, {"noprompt", TrueFalse(noPrompt)}};
    return request;
}

ServiceRequest MakeUploadRequest(const QString& ringName, const QString& ringPath,
                                 const QString& voxPath, bool share)
{
    // The name as the ring record holds it (GBK), then in the service's UTF-8.
    const std::string gbkName = Gbk(ringName);
    std::string name;
    GbkToUtf8(name, gbkName.data(), gbkName.size());

    ServiceRequest request;
    request.method = ServiceRequest::Method::Multipart;
    request.url = ServiceUrl(ServicePath::kUpload);
    request.textFields = {{"ringLibZuvo.name", name},
                          {"ringLibZuvo.intro", name},
                          {"client", "true"},
                          {"ringLibZuvo.isshare", TrueFalse(share)}};
    request.fileFields = {{"upload", LocalPath(ringPath)}, {"vox", LocalPath(voxPath)}};
    return request;
}

bool SendServiceRequest(CHTTPFormClient& client, const ServiceRequest& request)
{
    client.SetURL(request.url);
    for (const CHTTPFormFieldText& field : request.textFields)
        client.AddTextField(field.GetName(), field.GetValue());
    for (const CHTTPFormFieldFile& field : request.fileFields)
        client.AddFileField(field.GetName(), field.GetFilePath());
    switch (request.method) {
    case ServiceRequest::Method::Form:
        return client.PostForm();
    case ServiceRequest::Method::Query:
        return client.PostQuery();
    case ServiceRequest::Method::Multipart:
        return client.PostMultipart();
    }
    return false;
}

QString ServiceReplyText(const std::string& reply, const std::string& charset)
{
    if (charset != "utf-8")
        return GbkToQString(QByteArrayView(reply.data(), static_cast<qsizetype>(reply.size())));
    std::string gbk;
    Utf8ToGbk(gbk, reply.data(), reply.size());
    return GbkToQString(QByteArrayView(gbk.data(), static_cast<qsizetype>(gbk.size())));
}

bool ReplyStartsWithOk(const std::string& reply)
{
    return reply.size() >= 2 && (reply[0] == 'O' || reply[0] == 'o') &&
           (reply[1] == 'K' || reply[1] == 'k');
}

LoginOutcome ClassifyLoginReply(bool sent, const std::string& reply, const std::string& charset)
{
    LoginOutcome outcome;
    if (!sent)
        outcome.message = QString::fromUtf8(ServiceText::kSendFailed);
    else if (IsAcceptedReply(reply))
        outcome.loggedIn = true;
    else
        outcome.message = ShownReply(reply, charset);
    return outcome;
}

QString ShownIdentity(const QString& identity)
{
    QString text = identity;
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line ||
            c.category() == QChar::Separator_Paragraph)
            c = u'?';
    }
    // A cut between the halves of a pair would leave half a character.
    if (text.size() > kMaxShownReplyChars && text.at(kMaxShownReplyChars - 1).isHighSurrogate())
        text.truncate(kMaxShownReplyChars - 1);
    return Shown(text);
}

LoginOutcome ClassifyTicketLoginReply(bool sent, long status, const std::string& reply,
                                      const QString& uid, const QString& current)
{
    LoginOutcome outcome;
    // A reply of 300 and above is no answer: the form client has not sent.
    const bool answered = sent && status > 0 && status < 300;
    if (answered && IsAcceptedReply(reply)) {
        outcome.loggedIn = true;
        return outcome;
    }
    if (current.isEmpty())
        return outcome;
    const char* words = answered ? ServiceText::kSwitchFailed : ServiceText::kSwitchSendFailed;
    outcome.message = QString::fromUtf8(words).arg(ShownIdentity(uid), ShownIdentity(current));
    return outcome;
}

QString ValCodeReplyMessage(bool sent, const std::string& reply, const std::string& charset)
{
    if (!sent)
        return QString::fromUtf8(ServiceText::kSendFailed);
    const std::string code = Trimmed(reply);
    if (code == "0")
        return QString::fromUtf8(ServiceText::kValCodeSent);
    if (code == "1")
        return QString::fromUtf8(ServiceText::kValCodeFailed);
    return ShownReply(reply, charset);
}

FeeDecision ClassifyFeeReply(bool sent, const std::string& reply, const std::string& charset)
{
    FeeDecision decision;
    if (!sent) {
        decision.message = QString::fromUtf8(ServiceText::kFeeSendFailed);
        return decision;
    }
    if (reply.empty()) {
        decision.message = QString::fromUtf8(ServiceText::kFeeEmpty);
        return decision;
    }
    const QString question = QString::fromUtf8(ServiceText::kGoOnQuestion);
    const QString text = ServiceReplyText(reply, charset);
    // A reply in another charset is never taken for a keyword.
    if (charset != "utf-8") {
        decision.kind = FeeDecision::Kind::AskToGoOn;
        decision.message = Shown(text) + question;
        return decision;
    }
    static const QString noPrompt = QStringLiteral("NOFEEPROMPT");
    static const QString monthOption = QStringLiteral("SHOWMONTHOPTION|");
    if (text.startsWith(noPrompt)) {
        decision.kind = FeeDecision::Kind::GoOn;
    } else if (text.startsWith(monthOption)) {
        decision.kind = FeeDecision::Kind::OfferMonthPlan;
        decision.tokens = SplitMonthOption(text.mid(monthOption.size()));
        for (QString& token : decision.tokens)
            token = Shown(token);
    } else {
        decision.kind = FeeDecision::Kind::AskToGoOn;
        decision.message = Shown(text) + question;
    }
    return decision;
}

std::array<QString, 4> SplitMonthOption(const QString& text)
{
    // Split as text, not as GBK bytes: '|' is also a GBK trail byte.
    const QStringList parts = text.split(u'|', Qt::SkipEmptyParts);
    std::array<QString, 4> tokens;
    for (qsizetype i = 0; i < parts.size() && i < 4; ++i)
        tokens[static_cast<size_t>(i)] = parts.at(i);
    return tokens;
}

MonthOrderStep DecideMonthOrder(bool monthlyPlanChosen, bool noPromptTicked,
                                const QString& payPerRingToken)
{
    MonthOrderStep step;
    if (!monthlyPlanChosen && !noPromptTicked) {
        step.goOn = payPerRingToken.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
        return step;
    }
    step.postAnswer = true;
    step.order = monthlyPlanChosen;
    step.noPrompt = noPromptTicked;
    return step;
}

MonthOrderOutcome ClassifyMonthOrderReply(bool sent, const std::string& reply,
                                          const std::string& charset)
{
    MonthOrderOutcome outcome;
    if (!sent)
        outcome.message = QString::fromUtf8(ServiceText::kSendFailed);
    else if (IsAcceptedReply(reply))
        outcome.goOn = true;
    else
        outcome.message = ShownReply(reply, charset);
    return outcome;
}

QString UploadReplyMessage(bool sent, const std::string& reply)
{
    if (!sent)
        return QString::fromUtf8(ServiceText::kUploadFailed);
    if (ReplyStartsWithOk(reply))
        return QString::fromUtf8(ServiceText::kUploadDone);
    return ShownReply(reply, "utf-8");
}

bool IsLoginLost(long status)
{
    return status == 401 || status == 403;
}

QString LoginLostMessage(const std::string& reply, const std::string& charset)
{
    const QString text = ShownReply(reply, charset).trimmed();
    return text.isEmpty() ? QString::fromUtf8(ServiceText::kLoginLost) : text;
}
