#pragma once

class QUrl;

// Opens a web address outside the program (the user's default browser).
// Injected so tests record the address instead of starting a browser.
class IUrlOpener
{
public:
    virtual ~IUrlOpener() = default;
    // False when nothing could be started for the address.
    virtual bool OpenUrl(const QUrl& url) = 0;
};
