#pragma once

#include "publish/HTTPFormFieldFile.h"
#include "publish/HTTPFormFieldText.h"

#include <QString>

#include <array>
#include <string>
#include <string_view>
#include <vector>

class CHTTPFormClient;

// The ring service's requests, their fields and the grammar of its replies,
// as pure functions: builders make the requests, classifiers turn a send's
// result and reply into what the caller does next and the words it shows.
// The dialogs that send them and show the words live higher up. Any thread.
//
// Replies are tested as the raw bytes the service sent; the text shown is the
// reply converted from UTF-8 when the client's response charset is "utf-8",
// else the raw bytes read as GBK. Service text is always plain text.

// The service host: the environment variable ZUVO_SERVICE_HOST when set and
// not empty, else the host the build was configured with.
std::string ServiceHost();
// "http://" + host + "/zuvo/".
std::string ServiceBaseUrl();
// The base address followed by path.
std::string ServiceUrl(std::string_view path);
// The service's home page and the operator's music portal, opened in the
// desktop's browser: the environment variables ZUVO_SERVICE_HOME and
// ZUVO_MUSIC_PORTAL when set and not empty, else the addresses the build was
// configured with, else the service host's "/zuvo/" and "/portal/" pages.
std::string ServiceHomePageUrl();
std::string MusicPortalUrl();

namespace ServicePath {
inline constexpr char kLogin[] = "login.me";
inline constexpr char kValCode[] = "pub/getValCode.me";
inline constexpr char kFeeQuery[] = "person/fee_ringLibZuvo.me?clientversion=1";
inline constexpr char kMonthOrder[] = "person/monthOrderResponse.me";
inline constexpr char kUpload[] = "person/add_ringLibZuvo.me";
// Pages shown to the user: the ring library in the program's web page
// dialog, the monthly plan information in the default browser.
inline constexpr char kRingLibrary[] = "person/client.me";
inline constexpr char kMonthInfo[] = "pub/monthinfo.me";
// The materials to download, in Kelvo's web page dialog.
inline constexpr char kSongList[] = "pub/songlist.me";
} // namespace ServicePath

// A request ready to load into a CHTTPFormClient.
struct ServiceRequest
{
    enum class Method { Form, Query, Multipart };

    Method method = Method::Form;
    std::string url;
    std::vector<CHTTPFormFieldText> textFields;
    std::vector<CHTTPFormFieldFile> fileFields;
};

// Mobile number and code are trimmed and sent as GBK bytes, form-encoded.
ServiceRequest MakeLoginRequest(const QString& mobile, const QString& code);
ServiceRequest MakeValCodeRequest(const QString& mobile);
// The login with a ticket the service's pages issued: "loginid", "ticket" and
// "client", in that order, sent as GBK bytes, form-encoded, as they came.
ServiceRequest MakeTicketLoginRequest(const QString& uid, const QString& ticket);
// An empty POST.
ServiceRequest MakeFeeQueryRequest();
ServiceRequest MakeMonthOrderRequest(bool order, bool noPrompt);
// The ring name goes as UTF-8 in both name fields; the files by local path.
ServiceRequest MakeUploadRequest(const QString& ringName, const QString& ringPath,
                                 const QString& voxPath, bool share);

// Adds the request's URL and fields to client and sends it the request's way.
// Returns the send's result; the reply and charset stay in client.
bool SendServiceRequest(CHTTPFormClient& client, const ServiceRequest& request);

// The reply as shown: converted from UTF-8 when charset is "utf-8", else the
// raw bytes decoded as GBK.
QString ServiceReplyText(const std::string& reply, const std::string& charset);
// The messages and offer texts below show at most this many characters of a
// reply, then "…": a message box lays out every character it holds, and a
// reply of a megabyte would hold the window for many seconds.
inline constexpr qsizetype kMaxShownReplyChars = 4096;
// The reply's first two characters, upper-cased, are "OK".
bool ReplyStartsWithOk(const std::string& reply);

struct LoginOutcome
{
    bool loggedIn = false;
    QString message; // empty when nothing is to be shown
};
// sent: the send's result.
LoginOutcome ClassifyLoginReply(bool sent, const std::string& reply, const std::string& charset);

// The outcome of a ticket login that would replace the identity current
// (empty: nobody was logged in, and a failure shows nothing). The reply
// counts only when the request was answered with a status below 300; then
// an empty reply or one starting with "OK" logs in.
LoginOutcome ClassifyTicketLoginReply(bool sent, long status, const std::string& reply,
                                      const QString& uid, const QString& current);
// What a message shows of an identity that came from outside the program:
// bounded like service text, with control characters as '?'.
QString ShownIdentity(const QString& identity);

// The message shown after a verification-code request.
QString ValCodeReplyMessage(bool sent, const std::string& reply, const std::string& charset);

struct FeeDecision
{
    enum class Kind {
        Stop,          // show message, stop
        GoOn,          // go on without asking
        AskToGoOn,     // show message in an OK/Cancel box: OK goes on
        OfferMonthPlan // show the month-order dialog with tokens
    };
    Kind kind = Kind::Stop;
    QString message;
    // Monthly-plan caption, pay-per-ring caption, explanation, and whether a
    // ring paid per ring may go on ("true" in any case).
    std::array<QString, 4> tokens;
};
FeeDecision ClassifyFeeReply(bool sent, const std::string& reply, const std::string& charset);
// Splits at '|': a run of several counts as one, missing tokens are empty.
std::array<QString, 4> SplitMonthOption(const QString& text);

// What the month-order dialog's answer leads to.
struct MonthOrderStep
{
    bool postAnswer = false; // post MakeMonthOrderRequest(order, noPrompt)
    bool goOn = false;       // without posting: go on with the upload
    bool order = false;
    bool noPrompt = false;
};
MonthOrderStep DecideMonthOrder(bool monthlyPlanChosen, bool noPromptTicked,
                                const QString& payPerRingToken);

struct MonthOrderOutcome
{
    bool goOn = false;
    QString message; // empty when nothing is to be shown
};
MonthOrderOutcome ClassifyMonthOrderReply(bool sent, const std::string& reply,
                                          const std::string& charset);

// The message shown after an upload (its reply is always UTF-8).
QString UploadReplyMessage(bool sent, const std::string& reply);

// A reply with status 401 or 403: the service no longer knows the user (it
// forgot the session), so the program is logged out and the next command
// that needs the login asks for it again.
bool IsLoginLost(long status);
// What is shown then: the service's own text, or kLoginLost when it sent none.
QString LoginLostMessage(const std::string& reply, const std::string& charset);

// The words of the outcomes.
namespace ServiceText {
inline constexpr char kSendFailed[] = "发送数据失败！";
inline constexpr char kValCodeSent[] = "验证码发送成功，请注意查收！";
inline constexpr char kValCodeFailed[] = "发送验证码失败，请联系管理员！";
inline constexpr char kFeeSendFailed[] = "向服务器发送数据失败！";
inline constexpr char kFeeEmpty[] = "获取资费信息时出现错误！";
inline constexpr char kGoOnQuestion[] = "\r\n继续吗？";
inline constexpr char kUploadDone[] = "彩铃上传成功！";
inline constexpr char kLoginLost[] = "登录已失效，请重新登录！";
// The ticket login's question and messages: %1 and %2 are identities.
inline constexpr char kSwitchIdentity[] =
    "彩铃Zuvo已经用%1身份登录到Zuvo服务器，您现在要用新的%2身份登录到Zuvo服务器吗?";
inline constexpr char kSwitchFailed[] =
    "彩铃Zuvo用新的%1身份登录到Zuvo服务器时失败，彩铃Zuvo将使用原来的%2身份。";
inline constexpr char kSwitchSendFailed[] =
    "彩铃Zuvo用新的%1身份登录到Zuvo服务器时发送数据失败，彩铃Zuvo将使用原来的%2身份。";
inline constexpr char kUploadFailed[] =
    "铃音上传时出现异常！请到『彩铃管理』的『Zuvo彩铃库』中确认铃音是否已经上传成功。";
} // namespace ServiceText
