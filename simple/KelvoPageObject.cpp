#include "simple/KelvoPageObject.h"

#include "audio/ErrorLog.h"
#include "publish/ServiceProtocol.h"
#include "simple/KelvoApp.h"

const char* const CKelvoPageObject::kChannelName = "KelvoObject";

CKelvoPageObject::CKelvoPageObject(CKelvoApp& app, PageUrl pageUrl, QObject* parent)
    : QObject(parent), m_app(app), m_pageUrl(std::move(pageUrl))
{
}

bool CKelvoPageObject::IsServicePage(const QUrl& page)
{
    const QUrl service(QString::fromStdString(ServiceBaseUrl()));
    constexpr int kHttpPort = 80;
    return page.isValid() && service.isValid() && page.scheme() == QLatin1String("http") &&
           !page.host().isEmpty() &&
           page.host().compare(service.host(), Qt::CaseInsensitive) == 0 &&
           page.port(kHttpPort) == service.port(kHttpPort);
}

bool CKelvoPageObject::CallerIsService() const
{
    const QUrl page = m_pageUrl ? m_pageUrl() : QUrl();
    if (IsServicePage(page))
        return true;
    CErrorLog().Write("A call from the page %s was dropped\n",
                      qPrintable(page.toDisplayString(QUrl::RemoveUserInfo | QUrl::RemoveQuery)));
    return false;
}

void CKelvoPageObject::SetUserInfo(const QString& uid, const QString& ticket)
{
    if (CallerIsService())
        m_app.SetUserInfo(uid, ticket);
}

void CKelvoPageObject::OpenFile(const QString& filename)
{
    if (CallerIsService())
        m_app.OpenFile(filename);
}

void CKelvoPageObject::CloseApp()
{
    if (CallerIsService())
        m_app.CloseApp();
}
