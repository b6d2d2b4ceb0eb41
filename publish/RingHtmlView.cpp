#include "publish/RingHtmlView.h"

#include <QWebEnginePage>
#include <QWebEngineProfile>

CRingHtmlView::CRingHtmlView(QWebEngineProfile* profile, QWidget* parent) : QWebEngineView(parent)
{
    setPage(new QWebEnginePage(profile, this));
}
