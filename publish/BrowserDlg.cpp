#include "publish/BrowserDlg.h"

#include "publish/CurlShare.h"
#include "publish/RingHtmlView.h"

#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QDateTime>
#include <QNetworkCookie>
#include <QResizeEvent>
#include <QUrl>
#include <QWebEngineCookieStore>
#include <QWebEnginePage>
#include <QWebEngineProfile>

namespace {

// 452 x 310 dialog units of the window's 9-point font, 1.5 px each.
constexpr int kWidth = 678;
constexpr int kHeight = 465;

} // namespace

CBrowserDlg::CBrowserDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Varenth彩铃Zuvo"));
    setWindowIcon(QApplication::windowIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    resize(kWidth, kHeight);
    m_cookieWait.setSingleShot(true);
    m_cookieWait.setInterval(2000);
    connect(&m_cookieWait, &QTimer::timeout, this, &CBrowserDlg::LoadPending);
}

CBrowserDlg::~CBrowserDlg()
{
    // A page must go before the profile it lives in.
    delete m_view;
    m_view = nullptr;
    delete m_profile;
}

const QString CBrowserDlg::kEngineMissing = QStringLiteral("无法启动网页组件，不能显示网页。");
const QString CBrowserDlg::kPageFailed = QStringLiteral("网页组件意外退出，不能显示网页。");

bool CBrowserDlg::EngineAvailable()
{
    static const QString program = QStringLiteral("QtWebEngineProcess");
    const QString fromEnvironment = qEnvironmentVariable("QTWEBENGINEPROCESS_PATH");
    const QStringList candidates =
        !fromEnvironment.isEmpty()
            ? QStringList{fromEnvironment}
            : QStringList{QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) + u'/' +
                              program,
                          QCoreApplication::applicationDirPath() + u'/' + program};
    for (const QString& candidate : candidates) {
        const QFileInfo info(candidate);
        if (info.isFile() && info.isExecutable())
            return true;
    }
    return false;
}

bool CBrowserDlg::Navigate(const QString& url)
{
    if (!m_view) {
        if (!EngineAvailable())
            return false;
        CreateView();
    }
    m_pending = QUrl(url);
    m_awaited = CopySessionCookies();
    if (m_awaited.isEmpty())
        LoadPending();
    else
        m_cookieWait.start();
    return true;
}

void CBrowserDlg::OnCookieAdded(const QByteArray& name)
{
    m_awaited.remove(name);
    if (m_awaited.isEmpty() && !m_pending.isEmpty())
        LoadPending();
}

void CBrowserDlg::LoadPending()
{
    m_cookieWait.stop();
    m_awaited.clear();
    if (m_pending.isEmpty())
        return;
    const QUrl url = m_pending;
    m_pending.clear();
    m_view->load(url);
}

void CBrowserDlg::CreateView()
{
    // No storage name: an off-the-record profile, nothing written to disk.
    m_profile = new QWebEngineProfile();
    m_view = new CRingHtmlView(m_profile, this);
    for (const auto& [name, object] : m_pageObjects) {
        if (object)
            m_view->RegisterPageObject(name, object);
    }
    for (const QString& source : m_pageScripts)
        m_view->AddPageScript(source);
    m_view->setGeometry(contentsRect());
    m_view->show();
    connect(m_profile->cookieStore(), &QWebEngineCookieStore::cookieAdded, this,
            [this](const QNetworkCookie& cookie) { OnCookieAdded(cookie.name()); });
    connect(m_view->page(), &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                if (status == QWebEnginePage::NormalTerminationStatus)
                    return;
                // The next Navigate starts a new page process.
                hide();
                emit pageFailed(kPageFailed);
            });
}

void CBrowserDlg::RegisterPageObject(const QString& name, QObject* object)
{
    m_pageObjects.append({name, object});
    if (m_view)
        m_view->RegisterPageObject(name, object);
}

void CBrowserDlg::AddPageScript(const QString& source)
{
    m_pageScripts.append(source);
    if (m_view)
        m_view->AddPageScript(source);
}

void CBrowserDlg::ShareSessionCookies()
{
    if (m_view)
        CopySessionCookies();
}

QSet<QByteArray> CBrowserDlg::CopySessionCookies()
{
    QSet<QByteArray> names;
    QWebEngineCookieStore* store = m_profile->cookieStore();
    for (const SharedCookie& shared : SharedCookies()) {
        QNetworkCookie cookie(QByteArray::fromStdString(shared.name),
                              QByteArray::fromStdString(shared.value));
        cookie.setPath(QString::fromStdString(shared.path));
        cookie.setSecure(shared.secure);
        cookie.setHttpOnly(shared.httpOnly);
        if (shared.expires > 0)
            cookie.setExpirationDate(QDateTime::fromSecsSinceEpoch(shared.expires, Qt::UTC));
        const QString host = QString::fromStdString(shared.domain);
        // A host-only cookie has no domain of its own; the origin names its host.
        if (shared.includeSubdomains)
            cookie.setDomain(u'.' + host);
        QUrl origin;
        origin.setScheme(shared.secure ? QStringLiteral("https") : QStringLiteral("http"));
        origin.setHost(host);
        origin.setPath(QStringLiteral("/"));
        store->setCookie(cookie, origin);
        names.insert(cookie.name());
    }
    return names;
}

void CBrowserDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (m_view)
        m_view->setGeometry(contentsRect());
}

void CBrowserDlg::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    // A skin that takes over the frame, or gives it back, changes the margins.
    if (event->type() == QEvent::ContentsRectChange && m_view)
        m_view->setGeometry(contentsRect());
}
