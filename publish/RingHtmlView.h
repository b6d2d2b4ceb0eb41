#pragma once

#include <QWebEngineView>

class QWebEngineProfile;

// The web view that shows a service page inside the web page dialog. Its
// page lives in the profile it is given (the dialog's, which must outlive
// the view). It deletes nothing of its own accord: its dialog deletes it.
// GUI thread only.
class CRingHtmlView : public QWebEngineView
{
    Q_OBJECT
public:
    CRingHtmlView(QWebEngineProfile* profile, QWidget* parent);
};
