#pragma once

#include <atomic>
#include <mutex>

// Lets another thread call off a request that a form client is sending: the
// client's wait wakes at once and the send fails. Calling off is final; a
// new request takes a new object.
class RequestCancel
{
public:
    RequestCancel() = default;
    RequestCancel(const RequestCancel&) = delete;
    RequestCancel& operator=(const RequestCancel&) = delete;

    // Any thread; harmless before, during or after the send.
    void Cancel();
    bool IsCancelled() const { return m_cancelled; }

    // For the client while it waits on multi (a CURLM*): what Cancel wakes.
    // Attach is false when the request was already called off.
    bool Attach(void* multi);
    void Detach();

private:
    std::mutex m_mutex;
    void* m_multi = nullptr;
    std::atomic<bool> m_cancelled{false};
};
