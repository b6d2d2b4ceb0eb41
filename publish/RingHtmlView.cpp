#include "publish/RingHtmlView.h"

#include "publish/RingWebPage.h"

#include <QFile>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace {

// Resolves once the channel has told the page its objects; a page without the
// transport (none was set) gets a Promise that rejects instead of one that
// never settles.
const char kBootstrap[] = R"JS(
(function () {
    if (window.zuvoChannel)
        return;
    window.zuvoChannel = new Promise(function (resolve, reject) {
        if (typeof qt === 'undefined' || !qt.webChannelTransport ||
            typeof QWebChannel === 'undefined') {
            reject(new Error('no web channel'));
            return;
        }
        new QWebChannel(qt.webChannelTransport, function (channel) {
            resolve(channel.objects);
        });
    });
})();
)JS";

QWebEngineScript MakeScript(const QString& name, const QString& source)
{
    QWebEngineScript script;
    script.setName(name);
    script.setSourceCode(source);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    // The objects check only the main frame's address, so a frame inside a
    // service page (another host's among them) must get none of this; the
    // engine gives the channel's transport to the main frame only as well.
    script.setRunsOnSubFrames(false);
    return script;
}

} // namespace

CRingHtmlView::CRingHtmlView(QWebEngineProfile* profile, QWidget* parent) : QWebEngineView(parent)
{
    auto* page = new CRingWebPage(profile, this);
    setPage(page);
    m_channel = new QWebChannel(this);
    page->setWebChannel(m_channel, QWebEngineScript::MainWorld);
    // One script, so nothing can run between the client and the bootstrap.
    page->scripts().insert(
        MakeScript(QStringLiteral("zuvo-channel"),
                   ChannelClientScript() + u'\n' + QString::fromUtf8(kBootstrap)));
}

QString CRingHtmlView::ChannelClientScript()
{
    QFile file(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

void CRingHtmlView::RegisterPageObject(const QString& name, QObject* object)
{
    m_channel->registerObject(name, object);
}

void CRingHtmlView::AddPageScript(const QString& source)
{
    // Scripts of one injection point run in the order they were inserted,
    // the bootstrap first.
    page()->scripts().insert(MakeScript(QStringLiteral("zuvo-page-%1").arg(++m_scripts), source));
}
