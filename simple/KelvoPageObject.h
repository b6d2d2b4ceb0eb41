#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

class CKelvoApp;

// The automation object's three calls for the pages of Kelvo's own web view,
// published on its web channel as "KelvoObject" (a page reaches it as
// `window.zuvoChannel.then(o => o.KelvoObject.SetUserInfo(uid, ticket))`).
// Any page the view ends up showing could call it, so each call first asks
// for the address of the page now shown and does nothing unless that page is
// the service's (http, the service host and port). GUI thread only.
class CKelvoPageObject : public QObject
{
    Q_OBJECT
public:
    // The name pages find it under.
    static const char* const kChannelName;
    using PageUrl = std::function<QUrl()>;

    CKelvoPageObject(CKelvoApp& app, PageUrl pageUrl, QObject* parent = nullptr);

    // Whether page is one of the service's: scheme http, the host and port of
    // the service's base address (ports compared with http's default).
    static bool IsServicePage(const QUrl& page);

    Q_INVOKABLE void SetUserInfo(const QString& uid, const QString& ticket);
    Q_INVOKABLE void OpenFile(const QString& filename);
    Q_INVOKABLE void CloseApp();

private:
    bool CallerIsService() const;

    CKelvoApp& m_app;
    PageUrl m_pageUrl;
};
