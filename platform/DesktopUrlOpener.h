#pragma once

#include "platform/IUrlOpener.h"

// Hands the address to the desktop's default browser. GUI thread only.
class DesktopUrlOpener : public IUrlOpener
{
public:
    bool OpenUrl(const QUrl& url) override;
};
