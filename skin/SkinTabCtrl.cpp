#include "skin/SkinTabCtrl.h"

#include "platform/DlgCtrlId.h"
#include "skin/ProfileFile.h"
#include "skin/SkinHelpers.h"
#include "skin/ThemeSize.h"
#include "skin/TabCtrl.h"

#include <QMouseEvent>
#include <QPainter>

#include <typeinfo>

namespace {
constexpr int kIconSize = 16;
}

CSkinTabCtrl* CSkinTabCtrl::Wrap(QWidget* widget)
{
    auto* tab = qobject_cast<CTabCtrl*>(widget);
    if (!tab || typeid(*tab) != typeid(CTabCtrl))
        return nullptr;
    auto* skin = new CSkinTabCtrl;
    skin->HookWindow(tab);
    tab->setMouseTracking(true);
    return skin;
}

CTabCtrl* CSkinTabCtrl::Tab() const
{
    return qobject_cast<CTabCtrl*>(Window());
}

bool CSkinTabCtrl::LoadSkin(const QString& iniPath)
{
    const QString section = QStringLiteral("TabCtrl_%1").arg(GetDlgCtrlID(Window()));
    m_placement.Load(iniPath, section);
    m_loaded = false;
    const CProfileFile theme = CProfileFile::Load(iniPath);
    const QString image = theme.GetString(section, QStringLiteral("TabButtonImage"));
    const bool ok = !image.isEmpty() && m_image.ReloadImage(ThemeImagePath(iniPath, image));
    if (ok) {
        const auto num = [&](const QString& key) {
            return ThemeSize(theme.GetInt(section, key, 0));
        };
        const auto point = [&](const QString& key) {
            return QPoint(num(key + u'X'), num(key + u'Y'));
        };
        m_trans = num(QStringLiteral("Trans")) != 0;
        m_transColor = ReadProfileColor(theme, section, QStringLiteral("TransColor"), 0xFF00FF);
        m_borderColor = ReadProfileColor(theme, section, QStringLiteral("BorderColor"), 0xFF00FF);
        m_textColor = ReadProfileColor(theme, section, QStringLiteral("TextColor"), 0);
        const char* places[3] = {"First", "Mid", "Last"};
        for (int p = 0; p < 3; ++p) {
            const QString place = QLatin1String(places[p]);
            m_select[p] = point(QStringLiteral("Select%1Tab").arg(place));
            m_normal[p] = point(QStringLiteral("%1TabNormal").arg(place));
            m_over[p] = point(QStringLiteral("%1TabOver").arg(place));
            m_down[p] = point(QStringLiteral("%1TabDown").arg(place));
        }
        // The theme files spell the padding keys so.
        m_pendingX = num(QStringLiteral("PendingX"));
        m_pendingY = num(QStringLiteral("PendingY"));
        m_buttonHeight = num(QStringLiteral("ButtonHeight"));
        m_buttonWidth = num(QStringLiteral("ButtonWidth"));
        m_loaded = true;
    }
    RefreshSkin();
    if (QWidget* window = Window())
        window->update();
    return ok;
}

void CSkinTabCtrl::RefreshSkin()
{
    CTabCtrl* tab = Tab();
    if (!tab)
        return;
    if (m_loaded)
        tab->SetPadding(QSize(m_pendingX, m_pendingY));
    m_placement.Apply(tab);
}

QRect CSkinTabCtrl::HitRect(int index) const
{
    QRect rect = Tab()->GetItemRect(index);
    if (rect.isNull())
        return rect;
    rect.setLeft(rect.left() - 2);
    rect.setHeight(m_buttonHeight);
    return rect;
}

int CSkinTabCtrl::HitTab(const QPoint& point) const
{
    for (int i = Tab()->GetItemCount() - 1; i >= 0; --i) {
        if (HitRect(i).contains(point))
            return i;
    }
    return -1;
}

QPoint CSkinTabCtrl::ButtonSource(int index) const
{
    const int count = Tab()->GetItemCount();
    const Place place = index == 0 ? kFirst : index == count - 1 ? kLast : kMid;
    if (index == Tab()->GetCurSel())
        return m_select[place];
    if (index == m_pressed)
        return m_down[place];
    if (index == m_hover)
        return m_over[place];
    return m_normal[place];
}

QRect CSkinTabCtrl::LabelRect(int index, QString* text) const
{
    const CTabCtrl* tab = Tab();
    QRect rect = HitRect(index);
    if (index == tab->GetCurSel())
        rect.translate(0, -2);
    rect.setLeft(rect.left() + 3);
    const int image = tab->GetItemImage(index);
    if (!tab->ImageList().isEmpty() && image >= 0)
        rect.setLeft(rect.left() + 19);
    rect.setRight(rect.right() - 3);
    if (text) {
        *text = tab->GetItemText(index);
        FitTextWithEllipsis(*text, tab->fontMetrics(), rect.width());
    }
    return rect;
}

void CSkinTabCtrl::DrawItem(QPainter& painter, int index)
{
    const CTabCtrl* tab = Tab();
    const QRect button = HitRect(index);
    const QPoint source = ButtonSource(index);
    const int p = m_pendingX;
    const int h = m_buttonHeight;
    m_image.DrawTrans(&painter, button.left(), button.top(), QRect(source, QSize(p, h)),
                      m_transColor, m_trans);
    // Each slice is cut from the state's own button, wherever it sits in the image.
    m_image.TileDraw(&painter, QRect(button.left() + p, button.top(), button.width() - 2 * p, h),
                     QRect(source.x() + p, source.y(), m_buttonWidth - 2 * p, h), m_transColor,
                     m_trans);
    m_image.DrawTrans(&painter, button.left() + button.width() - p, button.top(),
                      QRect(source.x() + m_buttonWidth - p, source.y(), p, h), m_transColor,
                      m_trans);

    QString text;
    QRect label = LabelRect(index, &text);
    const int image = tab->GetItemImage(index);
    if (!tab->ImageList().isEmpty() && image >= 0) {
        if (image < tab->ImageList().size()) {
            const QRect raised = HitRect(index).translated(0, index == tab->GetCurSel() ? -2 : 0);
            tab->ImageList()[image].paint(
                &painter, QRect(raised.left() + 3, raised.top(), kIconSize, kIconSize));
        }
    }
    painter.setPen(ColorRefToQColor(m_textColor));
    painter.drawText(label, Qt::AlignCenter | Qt::TextSingleLine, text);
}

void CSkinTabCtrl::Paint()
{
    CTabCtrl* tab = Tab();
    const int count = tab->GetItemCount();
    if (count == 0)
        return;
    QPainter painter(tab);
    painter.setFont(tab->font());
    painter.setPen(ColorRefToQColor(m_borderColor));
    painter.setBrush(Qt::NoBrush);
    const QRect page = tab->rect().adjusted(0, m_buttonHeight + 1, 0, 0);
    painter.drawRect(page.adjusted(0, 0, -1, -1));
    const int selected = tab->GetCurSel();
    for (int i = count - 1; i >= 0; --i) {
        if (i != selected)
            DrawItem(painter, i);
    }
    if (selected >= 0)
        DrawItem(painter, selected);
}

bool CSkinTabCtrl::WindowProc(QEvent* event)
{
    CTabCtrl* tab = Tab();
    if (!m_loaded || !tab)
        return CSubclassWnd::WindowProc(event);
    switch (event->type()) {
    case QEvent::Paint:
        Paint();
        return true;
    case QEvent::MouseMove: {
        if (tab->GetItemCount() == 0)
            return true;
        const int hit = HitTab(static_cast<QMouseEvent*>(event)->position().toPoint());
        if (hit < 0) {
            // Left drawn hovered until the next repaint, as the tabs always were.
            m_hover = -1;
        } else if (hit != m_hover) {
            m_hover = hit;
            tab->repaint();
        }
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return true;
        const int hit = HitTab(mouse->position().toPoint());
        if (hit != m_pressed) {
            m_pressed = hit;
            tab->update();
        }
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (m_pressed < 0 || tab->GetItemCount() == 0)
            return CSubclassWnd::WindowProc(event);
        const int pressed = m_pressed;
        m_pressed = -1;
        if (HitRect(pressed).contains(mouse->position().toPoint()) &&
            pressed != tab->GetCurSel()) {
            tab->SetCurSel(pressed);
            tab->NotifySelChange();
        }
        tab->repaint();
        return true;
    }
    default:
        return CSubclassWnd::WindowProc(event);
    }
}
