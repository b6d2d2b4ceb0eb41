#pragma once

#include <QDialog>
#include <QString>

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
// login made. GUI thread only.
class CBrowserDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CBrowserDlg(QWidget* parent = nullptr);
    // Deletes the view before its profile.
    ~CBrowserDlg() override;

    // Loads url (absolute) in the view, making the view first when needed.
    void Navigate(const QString& url);
    // Null until the first Navigate.
    CRingHtmlView* View() const { return m_view; }

protected:
    // Keeps the view filling the whole client area.
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateView();
    void CopySessionCookies();

    QWebEngineProfile* m_profile = nullptr;
    CRingHtmlView* m_view = nullptr;
};
