#pragma once

#include <QWebEngineView>

class QObject;
class QString;
class QWebChannel;
class QWebEngineProfile;

// The web view that shows a service page inside the web page dialog. Its
// page lives in the profile it is given (the dialog's, which must outlive
// the view). It deletes nothing of its own accord: its dialog deletes it.
//
// The page carries one web channel. Every document the page loads gets, at
// its creation and in the page's own script world, the channel's client
// script and a bootstrap that sets `window.zuvoChannel` to a Promise
// resolving to the channel's objects map (name -> object), then the scripts
// added with AddPageScript, in the order they were added. Frames inside a
// page get neither the channel nor these scripts. GUI thread only.
class CRingHtmlView : public QWebEngineView
{
    Q_OBJECT
public:
    CRingHtmlView(QWebEngineProfile* profile, QWidget* parent);

    // Publishes object on the page's channel under name, for the documents
    // loaded from now on (pages reach it as `(await window.zuvoChannel)[name]`).
    // The view does not own object; a destroyed object leaves the channel.
    // Its invokable methods, slots, properties and signals are open to every
    // page the view shows: an object must itself check who calls it.
    void RegisterPageObject(const QString& name, QObject* object);
    // Runs source in every document loaded from now on, at its creation, after
    // the channel's bootstrap (so `window.zuvoChannel` exists), on the main
    // frame only.
    void AddPageScript(const QString& source);

    // The bootstrap's client script, from Qt's resources; empty when missing.
    static QString ChannelClientScript();

private:
    QWebChannel* m_channel = nullptr;
    int m_scripts = 0;
};
