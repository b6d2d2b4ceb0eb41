#include "simple/DownloadPageObject.h"

#include "publish/DownloadLink.h"
#include "simple/KelvoPageObject.h"

#include <QMetaObject>

const char* const CDownloadPageObject::kChannelName = "KelvoDownload";

namespace {

// Capture phase, so the page's own handlers cannot follow the link first.
const char kScript[] = R"JS(
(function () {
    document.addEventListener('click', function (event) {
        var node = event.target;
        while (node && !(node.tagName && node.tagName.toLowerCase() === 'a'))
            node = node.parentNode;
        if (!node || !node.getAttribute)
            return;
        var href = node.getAttribute('href');
        if (!href || href.substring(0, 12) !== 'http://down=')
            return;
        event.preventDefault();
        window.zuvoChannel.then(function (objects) {
            if (objects.KelvoDownload)
                objects.KelvoDownload.Download(href);
        });
    }, true);
})();
)JS";

} // namespace

CDownloadPageObject::CDownloadPageObject(PageUrl pageUrl, LinkHandler handler, QObject* parent)
    : QObject(parent), m_pageUrl(std::move(pageUrl)), m_handler(std::move(handler))
{
}

QString CDownloadPageObject::PageScript()
{
    return QString::fromUtf8(kScript);
}

void CDownloadPageObject::Download(const QString& href)
{
    if (!href.startsWith(QLatin1String(DownloadLink::kPrefix)) ||
        !CKelvoPageObject::IsServicePage(m_pageUrl()))
        return;
    QMetaObject::invokeMethod(
        this, [this, href] { m_handler(href); }, Qt::QueuedConnection);
}
