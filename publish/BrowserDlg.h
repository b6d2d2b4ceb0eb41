#pragma once

#include <QDialog>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>

class CRingHtmlView;
class QWebEngineProfile;

// A modeless window that shows one service page (the ring library) in an
// embedded web view. Its owner creates it hidden and, on each ring library
// command, navigates it and shows it again; closing it hides it.
//
// The web engine is costly to start, so the view and its profile are made on
// the first Navigate, not with the window. The profile keeps its cookies in
// memory only: before each navigation it receives the cookies of the
// process's curl share, so the page opens with the session the form client's
// login made. The store takes cookies asynchronously: the page is requested
// once the store has them (or after a short wait, should one never arrive).
//
// A web engine that cannot start (its helper program is missing) or whose
// page process ends abnormally never ends the program: Navigate refuses, or
// pageFailed tells, and the window hides. GUI thread only.
class CBrowserDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CBrowserDlg(QWidget* parent = nullptr);
    // Deletes the view before its profile.
    ~CBrowserDlg() override;

    // Loads url (absolute) in the view, making the view first when needed.
    // false, and nothing shown, when the web engine cannot start.
    bool Navigate(const QString& url);
    // Whether the web engine's helper program is where the engine looks for
    // it (QTWEBENGINEPROCESS_PATH, else Qt's program folder, else beside the
    // program): without it the engine would end the process.
    static bool EngineAvailable();

    // What the user is told when the page cannot be shown.
    static const QString kEngineMissing;
    static const QString kPageFailed;
    // Null until the first Navigate.
    CRingHtmlView* View() const { return m_view; }

    // Publish object on the view's web channel and add a script to its pages
    // (see CRingHtmlView): kept here and handed to the view whenever it is
    // made, so they may be given before the first Navigate. The dialog does
    // not own object.
    void RegisterPageObject(const QString& name, QObject* object);
    void AddPageScript(const QString& source);
    // Hands the curl share's cookies to the view's store now (after a login
    // made outside the view); nothing before the view exists.
    void ShareSessionCookies();

signals:
    // The page's process ended abnormally (crashed, was killed or could not
    // start): the page is gone and the window hidden.
    void pageFailed(const QString& message);

protected:
    // Keep the view filling the client area: the whole window, or inside the
    // frame that a skin draws in the dialog's contents margins.
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void CreateView();
    // The names of the cookies handed to the store.
    QSet<QByteArray> CopySessionCookies();
    void OnCookieAdded(const QByteArray& name);
    void LoadPending();

    QWebEngineProfile* m_profile = nullptr;
    CRingHtmlView* m_view = nullptr;
    QUrl m_pending;
    QSet<QByteArray> m_awaited; // cookies handed over, not yet in the store
    QTimer m_cookieWait;
    QList<QPair<QString, QPointer<QObject>>> m_pageObjects;
    QStringList m_pageScripts;
};
