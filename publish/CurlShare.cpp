#include "publish/CurlShare.h"

#include <curl/curl.h>

#include <array>
#include <mutex>

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
