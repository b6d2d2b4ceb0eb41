#pragma once

#include "platform/IMessageSink.h"

#include <QString>

#include <deque>

// Shows messages through another sink one after another: a message that comes
// while an earlier one is still open (a modal box runs its own event loop, in
// which more notices arrive) waits until that one is closed, so the user
// reads them in the order they were told. GUI thread only.
class CMessageQueue : public IMessageSink
{
public:
    explicit CMessageQueue(IMessageSink& sink) : m_sink(sink) {}

    // Shows text now when nothing of this queue is open; otherwise queues it
    // and returns at once.
    void ShowMessage(const QString& text) override;
    // Drops the messages not shown yet (the window is closing).
    void Clear() { m_waiting.clear(); }

private:
    IMessageSink& m_sink;
    std::deque<QString> m_waiting;
    bool m_showing = false;
};
