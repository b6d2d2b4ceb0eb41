#include "simple/DeclareDialog.h"

#include "platform/DlgCtrlId.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kBannerWidth = 360;
constexpr int kBannerHeight = 48;

// The banner, drawn rather than shipped as a bitmap.
QPixmap Banner()
{
    QPixmap banner(kBannerWidth, kBannerHeight);
    QPainter painter(&banner);
    QLinearGradient gradient(0, 0, kBannerWidth, 0);
    gradient.setColorAt(0, QColor(0x1E, 0x5A, 0xA8));
    gradient.setColorAt(1, QColor(0x8C, 0xC8, 0xF0));
    painter.fillRect(banner.rect(), gradient);
    QFont font = painter.font();
    font.setPixelSize(20);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(banner.rect().adjusted(16, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("程序更新声明"));
    return banner;
}

} // namespace

CDeclareDialog::CDeclareDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("程序更新声明"));
    auto* layout = new QVBoxLayout(this);
    auto* banner = new QLabel(this);
    banner->setPixmap(Banner());
    layout->addWidget(banner);

    m_text = new QPlainTextEdit(this);
    SetDlgCtrlID(m_text, 1013);
    m_text->setReadOnly(true);
    m_text->setFrameShape(QFrame::StyledPanel);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_text->setMinimumHeight(140);
    layout->addWidget(m_text);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    SetDlgCtrlID(ok, 1);
    SetDlgCtrlID(cancel, 2);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void CDeclareDialog::SetDeclareText(const QString& text)
{
    // Plain text: service words are never markup.
    m_text->setPlainText(text);
}
