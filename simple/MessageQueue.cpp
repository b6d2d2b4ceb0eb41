#include "simple/MessageQueue.h"

void CMessageQueue::ShowMessage(const QString& text)
{
    m_waiting.push_back(text);
    if (m_showing)
        return;
    m_showing = true;
    while (!m_waiting.empty()) {
        const QString next = m_waiting.front();
        m_waiting.pop_front();
        m_sink.ShowMessage(next);
    }
    m_showing = false;
}
