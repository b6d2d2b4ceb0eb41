#include "skin/TabCtrl.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionTab>

#include <algorithm>

namespace {
constexpr int kIconSize = 16;
constexpr int kIconGap = 3;
constexpr int kRowTop = 2;
} // namespace

CTabCtrl::CTabCtrl(QWidget* parent) : QWidget(parent) {}

int CTabCtrl::InsertItem(int index, const QString& text, int image)
{
    if (index < 0 || index > m_items.size())
        index = int(m_items.size());
    m_items.insert(index, Item{text, image});
    if (m_current < 0)
        m_current = 0;
    else if (index <= m_current)
        ++m_current;
    update();
    return index;
}

QString CTabCtrl::GetItemText(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items[index].text : QString();
}

int CTabCtrl::GetItemImage(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items[index].image : -1;
}

int CTabCtrl::SetCurSel(int index)
{
    if (index < 0 || index >= m_items.size())
        return -1;
    const int previous = m_current;
    m_current = index;
    update();
    return previous;
}

void CTabCtrl::SetImageList(const QList<QIcon>& icons)
{
    m_icons = icons;
    update();
}

void CTabCtrl::SetPadding(const QSize& padding)
{
    m_padding = padding;
    update();
}

int CTabCtrl::RowHeight() const
{
    return std::max(fontMetrics().height(), m_icons.isEmpty() ? 0 : kIconSize) +
           2 * m_padding.height();
}

QRect CTabCtrl::GetItemRect(int index) const
{
    if (index < 0 || index >= m_items.size())
        return QRect();
    int x = 2;
    for (int i = 0; i <= index; ++i) {
        int width = fontMetrics().horizontalAdvance(m_items[i].text) + 2 * m_padding.width();
        if (!m_icons.isEmpty() && m_items[i].image >= 0)
            width += kIconSize + kIconGap;
        if (i == index)
            return QRect(x, kRowTop, width, RowHeight());
        x += width;
    }
    return QRect();
}

void CTabCtrl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int pageTop = kRowTop + RowHeight();
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = rect().adjusted(0, pageTop, 0, 0);
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);
    for (int i = 0; i < m_items.size(); ++i) {
        QStyleOptionTab tab;
        tab.initFrom(this);
        tab.rect = GetItemRect(i);
        tab.text = m_items[i].text;
        const int image = m_items[i].image;
        if (image >= 0 && image < m_icons.size()) {
            tab.icon = m_icons[image];
            tab.iconSize = QSize(kIconSize, kIconSize);
        }
        tab.shape = QTabBar::RoundedNorth;
        tab.position = m_items.size() == 1 ? QStyleOptionTab::OnlyOneTab
                       : i == 0            ? QStyleOptionTab::Beginning
                       : i == m_items.size() - 1 ? QStyleOptionTab::End
                                                 : QStyleOptionTab::Middle;
        if (i == m_current)
            tab.state |= QStyle::State_Selected;
        style()->drawControl(QStyle::CE_TabBarTab, &tab, &painter, this);
    }
}

void CTabCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    for (int i = 0; i < m_items.size(); ++i) {
        if (GetItemRect(i).contains(event->position().toPoint())) {
            if (i != m_current) {
                SetCurSel(i);
                emit SelChange();
            }
            return;
        }
    }
}
