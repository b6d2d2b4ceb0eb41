#include "publish/RequestCancel.h"

#include <curl/curl.h>

void RequestCancel::Cancel()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_cancelled = true;
    if (m_multi)
        curl_multi_wakeup(static_cast<CURLM*>(m_multi));
}

bool RequestCancel::Attach(void* multi)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_cancelled)
        return false;
    m_multi = multi;
    return true;
}

void RequestCancel::Detach()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_multi = nullptr;
}
