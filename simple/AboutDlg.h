#pragma once

#include <QDialog>

class CMyHyperLink;
class IUrlOpener;

// "关于Varenth彩铃Zuvo": the program icon, the name and version as a link to
// the service's home page, and OK. GUI thread.
class CAboutDlg : public QDialog
{
    Q_OBJECT
public:
    // The link's address goes to urls, which outlives the box.
    explicit CAboutDlg(IUrlOpener& urls, QWidget* parent = nullptr);

    CMyHyperLink* Link() const { return m_link; }

private:
    CMyHyperLink* m_link;
};
