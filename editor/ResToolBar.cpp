#include "editor/ResToolBar.h"

#include <QActionGroup>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace {

constexpr int kImageSize = 18; // px

enum class Art { Up, Refresh, View };

QIcon Draw(Art art)
{
    QPixmap pixmap(kImageSize, kImageSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor folder(236, 196, 84);
    const QColor folderEdge(160, 120, 30);
    const QColor arrow(30, 110, 40);
    switch (art) {
    case Art::Up: {
        // A folder with a green arrow pointing out of it.
        p.setPen(folderEdge);
        p.setBrush(folder);
        p.drawRect(QRectF(1.5, 7.5, 12, 8));
        p.drawRect(QRectF(1.5, 5.5, 5, 2));
        QPainterPath head;
        head.moveTo(13, 1);
        head.lineTo(17.5, 6);
        head.lineTo(8.5, 6);
        head.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(arrow);
        p.drawPath(head);
        p.drawRect(QRectF(11.5, 5.5, 3, 7));
        break;
    }
    case Art::Refresh: {
        // Two arcs chasing each other round.
        QPen pen(QColor(20, 90, 170), 2.2);
        pen.setCapStyle(Qt::FlatCap);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        const QRectF ring(3, 3, 12, 12);
        p.drawArc(ring, 30 * 16, 140 * 16);
        p.drawArc(ring, 210 * 16, 140 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(20, 90, 170));
        QPainterPath a;
        a.moveTo(14.5, 1.5);
        a.lineTo(16.5, 7.5);
        a.lineTo(10.5, 6.5);
        a.closeSubpath();
        QPainterPath b;
        b.moveTo(3.5, 16.5);
        b.lineTo(1.5, 10.5);
        b.lineTo(7.5, 11.5);
        b.closeSubpath();
        p.drawPath(a);
        p.drawPath(b);
        break;
    }
    case Art::View: {
        // A window of four small icons.
        p.setPen(QColor(70, 70, 70));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 2.5, 15, 13));
        p.setPen(Qt::NoPen);
        const QColor tiles[] = {QColor(60, 130, 210), QColor(230, 170, 40), QColor(70, 160, 80),
                                QColor(200, 70, 60)};
        for (int i = 0; i < 4; ++i)
            p.fillRect(QRectF(4 + (i % 2) * 6, 5 + (i / 2) * 5.5, 4, 3.5), tiles[i]);
        break;
    }
    }
    return QIcon(pixmap);
}

} // namespace

CResToolBar::CResToolBar(QWidget* parent) : QToolBar(parent), m_viewMenu(new QMenu(this))
{
    setIconSize(QSize(kImageSize, kImageSize));
    setMovable(false);
    setFloatable(false);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    // The tooltips' own colours: dark blue on pale yellow.
    setStyleSheet(QStringLiteral(
        "QToolTip { color: #0000c8; background-color: #ffffe1; border: 1px solid #808080; }"));

    m_up = addAction(Draw(Art::Up), QStringLiteral("向上"));
    m_refresh = addAction(Draw(Art::Refresh), QStringLiteral("刷新"));
    addSeparator();

    m_viewMenu->setTitle(QStringLiteral("查看"));
    m_large = m_viewMenu->addAction(QStringLiteral("大图标"));
    m_small = m_viewMenu->addAction(QStringLiteral("图标"));
    m_list = m_viewMenu->addAction(QStringLiteral("列表"));
    auto* styles = new QActionGroup(this);
    for (QAction* action : {m_large, m_small, m_list}) {
        action->setCheckable(true);
        styles->addAction(action);
    }
    m_list->setChecked(true);
    m_viewMenu->addSeparator();
    m_showAll = m_viewMenu->addAction(QStringLiteral("显示所有文件"));
    m_showAll->setCheckable(true);

    m_view = m_viewMenu->menuAction();
    m_view->setIcon(Draw(Art::View));
    m_view->setText(QStringLiteral("查看"));
    addAction(m_view);
    if (auto* button = qobject_cast<QToolButton*>(widgetForAction(m_view)))
        button->setPopupMode(QToolButton::InstantPopup);
}

QAction* CResToolBar::Action(Command command) const
{
    switch (command) {
    case Command::Up:
        return m_up;
    case Command::Refresh:
        return m_refresh;
    case Command::LargeIcons:
        return m_large;
    case Command::SmallIcons:
        return m_small;
    case Command::List:
        return m_list;
    case Command::ShowAll:
        return m_showAll;
    }
    return nullptr;
}

void CResToolBar::CheckViewItem(Command command)
{
    if (QAction* action = Action(command); action && action->isCheckable())
        action->setChecked(true);
}

void CResToolBar::CheckShowAll(bool on)
{
    m_showAll->setChecked(on);
}
