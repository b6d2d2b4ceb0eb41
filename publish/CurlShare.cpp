#include "publish/CurlShare.h"

#include <curl/curl.h>

#include <array>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <mutex>
#include <string_view>

namespace {

class ProcessShare
{
public:
    ProcessShare()
    {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        m_share = curl_share_init();
        if (!m_share)
            return;
        curl_share_setopt(m_share, CURLSHOPT_LOCKFUNC, &ProcessShare::Lock);
        curl_share_setopt(m_share, CURLSHOPT_UNLOCKFUNC, &ProcessShare::Unlock);
        curl_share_setopt(m_share, CURLSHOPT_USERDATA, this);
        curl_share_setopt(m_share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
        curl_share_setopt(m_share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    }
    ~ProcessShare()
    {
        if (m_share)
            curl_share_cleanup(m_share);
        curl_global_cleanup();
    }
    ProcessShare(const ProcessShare&) = delete;
    ProcessShare& operator=(const ProcessShare&) = delete;

    CURLSH* Share() const { return m_share; }

private:
    // One lock per kind of data, as libcurl asks; shared access is taken
    // exclusively, which is correct and the data are touched only briefly.
    static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* user)
    {
        static_cast<ProcessShare*>(user)->MutexFor(data).lock();
    }
    static void Unlock(CURL*, curl_lock_data data, void* user)
    {
        static_cast<ProcessShare*>(user)->MutexFor(data).unlock();
    }
    std::mutex& MutexFor(curl_lock_data data)
    {
        const auto index = static_cast<size_t>(data);
        return m_locks[index < m_locks.size() ? index : 0];
    }

    CURLSH* m_share = nullptr;
    std::array<std::mutex, CURL_LOCK_DATA_LAST> m_locks;
};

ProcessShare& Instance()
{
    static ProcessShare share;
    return share;
}

constexpr std::string_view kHttpOnlyPrefix = "#HttpOnly_";

// One line of curl's cookie list: the Netscape cookie file's seven
// tab-separated fields (domain, include subdomains, path, secure, expiry,
// name, value), an http-only cookie's domain marked with a prefix.
bool ParseCookieLine(std::string_view line, SharedCookie& cookie)
{
    std::array<std::string_view, 7> fields;
    size_t count = 0;
    while (count < fields.size()) {
        const size_t tab = line.find('\t');
        if (count + 1 < fields.size() && tab == std::string_view::npos)
            return false;
        fields[count++] = line.substr(0, tab);
        line = tab == std::string_view::npos ? std::string_view() : line.substr(tab + 1);
    }
    std::string_view domain = fields[0];
    cookie.httpOnly = domain.substr(0, kHttpOnlyPrefix.size()) == kHttpOnlyPrefix;
    if (cookie.httpOnly)
        domain.remove_prefix(kHttpOnlyPrefix.size());
    if (!domain.empty() && domain.front() == '.')
        domain.remove_prefix(1);
    if (domain.empty() || fields[5].empty())
        return false;
    cookie.domain = std::string(domain);
    cookie.includeSubdomains = fields[1] == "TRUE";
    cookie.path = std::string(fields[2]);
    cookie.secure = fields[3] == "TRUE";
    cookie.expires = std::strtoll(std::string(fields[4]).c_str(), nullptr, 10);
    cookie.name = std::string(fields[5]);
    cookie.value = std::string(fields[6]);
    return true;
}

} // namespace

void* NewSharedCurlHandle()
{
    ProcessShare& share = Instance();
    CURL* easy = curl_easy_init();
    if (!easy)
        return nullptr;
    if (share.Share())
        curl_easy_setopt(easy, CURLOPT_SHARE, share.Share());
    // An empty file name turns the cookie engine on without reading a file.
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
    return easy;
}

void InitialiseCurl()
{
    Instance();
}

std::vector<SharedCookie> SharedCookies()
{
    std::vector<SharedCookie> cookies;
    const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> easy(
        static_cast<CURL*>(NewSharedCurlHandle()), &curl_easy_cleanup);
    if (!easy)
        return cookies;
    // A handle attached to the share reads the share's jar, under its lock.
    curl_slist* list = nullptr;
    if (curl_easy_getinfo(easy.get(), CURLINFO_COOKIELIST, &list) != CURLE_OK)
        return cookies;
    // The jar drops expired cookies only when it next changes.
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    for (const curl_slist* item = list; item; item = item->next) {
        SharedCookie cookie;
        if (item->data && ParseCookieLine(item->data, cookie) &&
            (cookie.expires == 0 || cookie.expires > now))
            cookies.push_back(std::move(cookie));
    }
    curl_slist_free_all(list);
    return cookies;
}
