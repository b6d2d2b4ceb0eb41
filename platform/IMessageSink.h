#pragma once

#include <QString>

// Where a lower layer sends a message for the user. The programs show it in a
// message box on the GUI thread; tests record it. Implementations say which
// threads may call them.
class IMessageSink
{
public:
    virtual ~IMessageSink() = default;
    virtual void ShowMessage(const QString& text) = 0;
};
