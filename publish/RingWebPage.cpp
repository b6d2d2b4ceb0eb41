#include "publish/RingWebPage.h"

bool CRingWebPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    if (!url.isValid() || url.isEmpty())
        return false;
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}
