#include "publish/CurlTransfer.h"

#include "publish/CurlShare.h"
#include "publish/RequestCancel.h"

#include <cstdlib>
#include <memory>
#include <string_view>

namespace CurlTransfer {

namespace {

const char kUrlParseError[] = "URL地址解析错误！";
const char kUrlHostMissing[] = "URL地址中主机名丢失！";

constexpr size_t kMaxErrorText = 1024;
// How often a waiting request looks at its stall rule.
constexpr int kPollMs = 200;

struct UrlDeleter
{
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct CurlStringDeleter
{
    void operator()(char* text) const { curl_free(text); }
};
using CurlString = std::unique_ptr<char, CurlStringDeleter>;

CurlString UrlPart(CURLU* url, CURLUPart part, unsigned int flags = 0)
{
    char* text = nullptr;
    if (curl_url_get(url, part, &text, flags) != CURLUE_OK)
        return CurlString();
    return CurlString(text);
}

std::string AsciiLower(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// The host part of the authority of "scheme://authority/...": after any
// user information, before any port.
std::string_view AuthorityHost(std::string_view url)
{
    const size_t scheme = url.find("://");
    if (scheme == std::string_view::npos)
        return {};
    std::string_view authority = url.substr(scheme + 3);
    authority = authority.substr(0, authority.find_first_of("/?#"));
    const size_t at = authority.rfind('@');
    if (at != std::string_view::npos)
        authority.remove_prefix(at + 1);
    if (!authority.empty() && authority.front() == '[')
        return authority;
    return authority.substr(0, authority.find(':'));
}

} // namespace

std::string Truncated(std::string text)
{
    if (text.size() > kMaxErrorText)
        text.resize(kMaxErrorText);
    return text;
}

const char* SplitURL(std::string& text, UrlParts& parts)
{
    const std::string lower = AsciiLower(text);
    if (!StartsWith(lower, "http://") && !StartsWith(lower, "https://"))
        text = "http://" + text;

    parts = UrlParts();
    InitialiseCurl();
    // curl reads "http:///path" as host "path"; an empty authority is no host.
    if (AuthorityHost(text).empty())
        return kUrlHostMissing;
    std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
    if (!url)
        return kUrlParseError;
    const CURLUcode rc = curl_url_set(url.get(), CURLUPART_URL, text.c_str(), 0);
    if (rc == CURLUE_NO_HOST)
        return kUrlHostMissing;
    if (rc != CURLUE_OK)
        return kUrlParseError;
    const CurlString host = UrlPart(url.get(), CURLUPART_HOST);
    if (!host || !*host)
        return kUrlHostMissing;
    const CurlString scheme = UrlPart(url.get(), CURLUPART_SCHEME);
    const CurlString port = UrlPart(url.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
    const CurlString path = UrlPart(url.get(), CURLUPART_PATH);
    const CurlString query = UrlPart(url.get(), CURLUPART_QUERY);
    parts.https = scheme && AsciiLower(scheme.get()) == "https";
    parts.server = host.get();
    parts.port = static_cast<uint16_t>(port ? std::atoi(port.get()) : 0);
    parts.object = path ? path.get() : "/";
    if (query)
        parts.object += std::string("?") + query.get();
    return nullptr;
}

void SetCommonOptions(CURL* easy, long connectMs)
{
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, connectMs);
}

End Run(CURL* easy, Clock::time_point& lastMoved, RequestCancel* cancel, long stallSeconds)
{
    End end;
    CURLM* multi = curl_multi_init();
    if (!multi || curl_multi_add_handle(multi, easy) != CURLM_OK) {
        if (multi)
            curl_multi_cleanup(multi);
        end.result = CURLE_OUT_OF_MEMORY;
        return end;
    }
    if (cancel && !cancel->Attach(multi))
        end.abort = End::Abort::Cancelled;
    const auto stall = std::chrono::seconds(stallSeconds);
    lastMoved = Clock::now();
    while (end.abort == End::Abort::None) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            end.result = CURLE_RECV_ERROR;
            break;
        }
        bool done = false;
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
            if (message->msg == CURLMSG_DONE) {
                end.result = message->data.result;
                done = true;
            }
        }
        if (done)
            break;
        if (cancel && cancel->IsCancelled())
            end.abort = End::Abort::Cancelled;
        else if (Clock::now() - lastMoved >= stall)
            end.abort = End::Abort::Stalled;
        else
            curl_multi_poll(multi, nullptr, 0, kPollMs, nullptr);
    }
    if (cancel)
        cancel->Detach();
    curl_multi_remove_handle(multi, easy);
    curl_multi_cleanup(multi);
    return end;
}

bool HeadReader::Feed(std::string_view line)
{
    if (line.substr(0, 5) == "HTTP/") {
        const size_t code = line.find(' ');
        interim = code != std::string_view::npos && code + 1 < line.size() && line[code + 1] == '1';
        headEnded = false;
        return false;
    }
    if (line == "\r\n" || line == "\n") {
        headEnded = !interim;
        return headEnded;
    }
    return false;
}

} // namespace CurlTransfer
