#include "skin/TabCtrl.h"

#include <QMouseEvent>
#include <QPainter>

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
    const QPalette& colours = palette();
    const int pageTop = kRowTop + RowHeight();
    painter.setPen(colours.color(QPalette::Mid));
    painter.setBrush(colours.brush(QPalette::Window));
    painter.drawRect(rect().adjusted(0, pageTop, -1, -1));
    for (int i = 0; i < m_items.size(); ++i) {
        const bool selected = i == m_current;
        // The selected tab stands 2 px higher and joins the page below it.
        QRect tab = GetItemRect(i).adjusted(0, selected ? -2 : 0, -1, 0);
        painter.setPen(colours.color(QPalette::Mid));
        painter.setBrush(colours.brush(selected ? QPalette::Window : QPalette::Button));
        painter.drawRect(tab);
        if (selected) {
            painter.fillRect(tab.left() + 1, tab.bottom(), tab.width() - 1, 1,
                             colours.brush(QPalette::Window));
        }
        QRect label = tab.adjusted(m_padding.width(), 0, -m_padding.width(), 0);
        const int image = m_items[i].image;
        if (image >= 0 && image < m_icons.size()) {
            m_icons[image].paint(&painter, QRect(label.left(),
                                                 label.top() + (label.height() - kIconSize) / 2,
                                                 kIconSize, kIconSize));
            label.setLeft(label.left() + kIconSize + kIconGap);
        }
        painter.setPen(colours.color(QPalette::ButtonText));
        painter.drawText(label, Qt::AlignCenter | Qt::TextSingleLine, m_items[i].text);
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
