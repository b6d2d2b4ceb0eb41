#pragma once

#include <condition_variable>
#include <mutex>

// Wakes one waiting thread and clears itself as it does; several Sets before
// the wait coalesce into one wake. A quit request sits beside it and stays set.
// Set and RequestQuit may be called from any thread, the audio callback
// included: they hold the lock only to flip a flag. One thread waits.
class AutoResetEvent
{
public:
    struct Wake
    {
        bool signalled = false; // the event was set (and is now clear again)
        bool quit = false;      // RequestQuit was called
    };

    void Set();
    void RequestQuit();
    // Blocks until the event is set or quit is requested.
    Wake Wait();

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_set = false;
    bool m_quit = false;
};
