#include "simple/AboutDlg.h"

#include "platform/DlgCtrlId.h"
#include "publish/ServiceProtocol.h"
#include "simple/MyHyperLink.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(IUrlOpener& urls, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("关于Varenth彩铃Zuvo"));

    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::windowIcon().pixmap(48, 48));

    m_link = new CMyHyperLink(this);
    SetDlgCtrlID(m_link, 1059);
    m_link->setText(QStringLiteral("Varenth彩铃Zuvo，1.0版"));
    m_link->SetUrlOpener(&urls);
    m_link->SetURL(QString::fromStdString(ServiceHomePageUrl()));
    m_link->EnableToolTip(true);
    m_link->SetToolTipText(QStringLiteral("打开Varenth彩铃Zuvo网站"));
    m_link->SetToolTipBkColor(0xC3F4F7);
    m_link->SetToolTipTextColor(0x800000);
    m_link->SetLinkColor(0x800000);
    m_link->SetHoverColor(0x800000);
    m_link->SetVisitedColor(0xFF0000);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addSpacing(12);
    row->addWidget(m_link, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 14);
    layout->setSpacing(16);
    layout->addLayout(row);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
