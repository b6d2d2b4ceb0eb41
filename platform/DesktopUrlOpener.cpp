#include "platform/DesktopUrlOpener.h"

#include <QDesktopServices>
#include <QUrl>

bool DesktopUrlOpener::OpenUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}
