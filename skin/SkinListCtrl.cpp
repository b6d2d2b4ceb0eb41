#include "skin/SkinListCtrl.h"

#include "platform/DlgCtrlId.h"
#include "skin/SkinListHeaderCtrl.h"
#include "skin/SkinListHorizontalScrollbar.h"
#include "skin/SkinListVerticleScrollbar.h"

#include <QEvent>
#include <QHeaderView>
#include <QTreeWidget>

#include <typeinfo>

CSkinListCtrl* CSkinListCtrl::Wrap(QWidget* widget, const QString& iniPath)
{
    auto* list = qobject_cast<QTreeWidget*>(widget);
    // Lists of a class of the dialog's own draw themselves.
    if (!list || typeid(*list) != typeid(QTreeWidget))
        return nullptr;
    auto* skin = new CSkinListCtrl;
    skin->HookWindow(list);
    skin->PreSubclassWindow();
    skin->LoadSkin(iniPath);
    skin->CreateScrollBars();
    return skin;
}

CSkinListCtrl::CSkinListCtrl() = default;

CSkinListCtrl::~CSkinListCtrl()
{
    // The bars live in the list's parent; they go with the list.
    delete m_vertical.data();
    delete m_horizontal.data();
}

QTreeWidget* CSkinListCtrl::List() const
{
    return qobject_cast<QTreeWidget*>(Window());
}

void CSkinListCtrl::PreSubclassWindow()
{
    QTreeWidget* list = List();
    if (list && list->header() && !m_header) {
        m_header = new CSkinListHeaderCtrl(list->header(), &m_skin);
    }
}

bool CSkinListCtrl::LoadSkin(const QString& iniPath)
{
    const QString section = QStringLiteral("ListCtrl_%1").arg(GetDlgCtrlID(Window()));
    m_placement.Load(iniPath, section);
    const bool ok = m_skin.Load(iniPath, section);
    RefreshSkin();
    return ok;
}

void CSkinListCtrl::RefreshSkin()
{
    QTreeWidget* list = List();
    if (!list)
        return;
    m_placement.Apply(list);
    if (m_barsCreated)
        PositionScrollBars();
    if (!m_skin.loaded)
        return;
    QFont font(m_skin.fontName);
    if (m_skin.fontSize > 0)
        font.setPixelSize(m_skin.fontSize);
    list->setFont(font);
    // The same colours whether or not the dialog is active, and set once here
    // rather than while painting.
    QPalette palette = list->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Base, ColorRefToQColor(m_skin.textBkColor));
        palette.setColor(group, QPalette::Window, ColorRefToQColor(m_skin.textBkColor));
        palette.setColor(group, QPalette::Text, ColorRefToQColor(m_skin.textColor));
        palette.setColor(group, QPalette::Highlight, ColorRefToQColor(m_skin.highLightBackground));
        palette.setColor(group, QPalette::HighlightedText,
                         ColorRefToQColor(m_skin.highLightForeground));
    }
    list->setPalette(palette);
    list->header()->viewport()->update();
    list->viewport()->update();
}

void CSkinListCtrl::CreateScrollBars()
{
    QTreeWidget* list = List();
    if (!m_skin.loaded || m_barsCreated || !list || !list->parentWidget())
        return;
    // A report list scrolls by rows downwards and by pixels sideways.
    list->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_vertical = new CSkinListVerticleScrollbar(list->parentWidget());
    m_horizontal = new CSkinListHorizontalScrollbar(list->parentWidget());
    for (CSkinListScrollbar* bar : {static_cast<CSkinListScrollbar*>(m_vertical),
                                    static_cast<CSkinListScrollbar*>(m_horizontal)}) {
        bar->SetSkin(&m_skin);
        bar->SetList(list);
        bar->setVisible(list->isVisibleTo(list->parentWidget()));
    }
    m_barsCreated = true;
    PositionScrollBars();
}

void CSkinListCtrl::PositionScrollBars()
{
    QTreeWidget* list = List();
    if (!m_skin.loaded || !list || !m_vertical || !m_horizontal)
        return;
    const QRect g = list->geometry();
    // The vertical bar reaches over the corner below the list; the horizontal
    // one is a pixel wider than the list.
    m_vertical->setGeometry(g.x() + g.width(), g.y(), m_skin.verBarWidth,
                            g.height() + m_skin.verBarWidth);
    m_horizontal->setGeometry(g.x(), g.y() + g.height(), g.width() + 1, m_skin.horBarHeight);
    m_horizontal->Recompute();
    m_vertical->Recompute();
}

bool CSkinListCtrl::WindowProc(QEvent* event)
{
    const QEvent::Type type = event->type();
    // Shown or hidden by its dialog, whether or not the dialog shows yet: a
    // list hidden before its first show gets no hide event of its own.
    const bool shownOrHidden = type == QEvent::ShowToParent || type == QEvent::HideToParent;
    if (!m_skin.loaded || (!shownOrHidden && type != QEvent::Move && type != QEvent::Resize))
        return CSubclassWnd::WindowProc(event);
    const bool result = Default();
    if (shownOrHidden) {
        for (QWidget* bar :
             {static_cast<QWidget*>(m_vertical), static_cast<QWidget*>(m_horizontal)}) {
            if (bar)
                bar->setVisible(type == QEvent::ShowToParent);
        }
    } else if (m_barsCreated) {
        PositionScrollBars();
    }
    return result;
}
