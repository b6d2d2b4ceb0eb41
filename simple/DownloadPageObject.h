#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

// Hands the material links that the service's pages are clicked on to the
// main dialog. Published on the web view's channel as "KelvoDownload"; the
// page script (PageScript) catches clicks on anchors whose raw href starts
// with "http://down=" before the engine navigates (it cannot read such
// links) and calls Download with that href. Links that a page script follows
// by itself are not caught, nor links inside frames (the script and the
// channel reach the main frame only). Only the service's pages are heard.
// GUI thread.
class CDownloadPageObject : public QObject
{
    Q_OBJECT
public:
    static const char* const kChannelName;
    using PageUrl = std::function<QUrl()>;
    using LinkHandler = std::function<void(const QString& link)>;

    CDownloadPageObject(PageUrl pageUrl, LinkHandler handler, QObject* parent = nullptr);

    // The click listener every page of the view gets.
    static QString PageScript();

    // Called by the page: the link reaches the handler queued, after the
    // page's call has returned.
    Q_INVOKABLE void Download(const QString& href);

private:
    PageUrl m_pageUrl;
    LinkHandler m_handler;
};
