#pragma once

#include <QWebEnginePage>

// The page of the web page dialog's view. It refuses navigations to an
// invalid or empty address: the engine hands those over for links it could
// not read (the service's "http://down=" links among them), and following one
// would only show an error page. GUI thread only.
class CRingWebPage : public QWebEnginePage
{
    Q_OBJECT
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
};
