#include "platform/AutoResetEvent.h"

void AutoResetEvent::Set()
{
    // Notified under the lock: the waiter's owner may destroy the event as soon
    // as the waiter has returned.
    std::lock_guard<std::mutex> lock(m_mutex);
    m_set = true;
    m_wake.notify_one();
}

void AutoResetEvent::RequestQuit()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_quit = true;
    m_wake.notify_one();
}

AutoResetEvent::Wake AutoResetEvent::Wait()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_wake.wait(lock, [this] { return m_set || m_quit; });
    Wake wake;
    wake.signalled = m_set;
    wake.quit = m_quit;
    m_set = false;
    return wake;
}
