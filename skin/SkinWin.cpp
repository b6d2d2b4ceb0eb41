#include "skin/SkinWin.h"

#include "skin/SkinBmpButton.h"
#include "skin/SkinCheckBox.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinEdit.h"
#include "skin/SkinGroup.h"
#include "skin/SkinListCtrl.h"
#include "skin/SkinPlacement.h"
#include "skin/SkinRadio.h"
#include "skin/SkinSliderCtrl.h"
#include "skin/SkinTabCtrl.h"
#include "skin/SkinWrap.h"
#include "skin/SubclassWndMap.h"
#include "skin/WidgetRegion.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

namespace {

using H = SkinFrame;

bool IsEdge(int hit)
{
    return hit >= H::HTLEFT && hit <= H::HTBOTTOMRIGHT;
}

bool IsButton(int hit)
{
    return hit == H::HTCLOSE || hit == H::HTMINBUTTON || hit == H::HTMAXBUTTON;
}

Qt::Edges EdgesOf(int hit)
{
    switch (hit) {
    case H::HTLEFT:
        return Qt::LeftEdge;
    case H::HTRIGHT:
        return Qt::RightEdge;
    case H::HTTOP:
        return Qt::TopEdge;
    case H::HTBOTTOM:
        return Qt::BottomEdge;
    case H::HTTOPLEFT:
        return Qt::TopEdge | Qt::LeftEdge;
    case H::HTTOPRIGHT:
        return Qt::TopEdge | Qt::RightEdge;
    case H::HTBOTTOMLEFT:
        return Qt::BottomEdge | Qt::LeftEdge;
    case H::HTBOTTOMRIGHT:
        return Qt::BottomEdge | Qt::RightEdge;
    default:
        return {};
    }
}

Qt::CursorShape CursorOf(int hit)
{
    switch (hit) {
    case H::HTLEFT:
    case H::HTRIGHT:
        return Qt::SizeHorCursor;
    case H::HTTOP:
    case H::HTBOTTOM:
        return Qt::SizeVerCursor;
    case H::HTTOPLEFT:
    case H::HTBOTTOMRIGHT:
        return Qt::SizeFDiagCursor;
    default:
        return Qt::SizeBDiagCursor;
    }
}

// Wayland always composites; there a see-through caption is drawn with alpha.
// Elsewhere a compositor is optional, so the caption is cut out with a mask.
bool PlatformComposites()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

// Widgets whose inner children are parts of them, not controls of the dialog.
bool IsCompound(const QWidget* widget)
{
    return qobject_cast<const QAbstractSpinBox*>(widget) ||
           qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QAbstractItemView*>(widget);
}

void CollectControls(QWidget* parent, std::vector<QPointer<QWidget>>& out)
{
    for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow())
            continue;
        out.emplace_back(child);
        if (!IsCompound(child))
            CollectControls(child, out);
    }
}

// Changes a window's flags; the window system shows it again as it was.
void Restyle(QWidget* window, Qt::WindowFlags flags)
{
    if (window->windowFlags() == flags)
        return;
    const bool visible = window->isVisible();
    window->setWindowFlags(flags);
    if (visible)
        window->show();
}

} // namespace

CSkinWin::CSkinWin() = default;

CSkinWin::~CSkinWin() = default;

CSkinWin* CSkinWin::Of(const QWidget* window)
{
    if (!window)
        return nullptr;
    if (auto* hooked = qobject_cast<CSkinWin*>(CSubclassWndMap::Lookup(window)))
        return hooked;
    // A skin whose first load failed is not hooked but still belongs to its dialog.
    return window->findChild<CSkinWin*>(QString(), Qt::FindDirectChildrenOnly);
}

bool CSkinWin::LoadSkin(const QString& themePath)
{
    m_themePath = themePath;
    const bool loaded = m_frame.Load(themePath);
    if (loaded)
        m_buttonSkin.Load(themePath);
    if (m_installed)
        ApplyFrame();
    if (!loaded)
        return false;
    for (auto it = m_controls.begin(); it != m_controls.end();) {
        if (!it->object) {
            it = m_controls.erase(it);
            continue;
        }
        CSkinCtrl* control = it->control;
        if (auto* c = dynamic_cast<CSkinBmpButton*>(control))
            c->LoadSkin(themePath);
        else if (auto* c = dynamic_cast<CSkinSliderCtrl*>(control))
            c->LoadSkin(themePath);
        else if (auto* c = dynamic_cast<CSkinCheckBox*>(control))
            c->LoadSkin(themePath);
        else if (auto* c = dynamic_cast<CSkinRadio*>(control))
            c->LoadSkin(themePath);
        else if (auto* c = dynamic_cast<CSkinTabCtrl*>(control))
            c->LoadSkin(themePath);
        else if (auto* c = dynamic_cast<CSkinEdit*>(control))
            c->LoadSkin(themePath);
        else if (auto* c = dynamic_cast<CSkinListCtrl*>(control))
            c->LoadSkin(themePath);
        else if (auto* c = dynamic_cast<CSkinGroup*>(control))
            c->LoadSkin(themePath); // its images come from the theme too
        else
            control->RefreshSkin();
        if (auto* widget = qobject_cast<QWidget*>(it->object->parent()))
            widget->update();
        ++it;
    }
    return true;
}

bool CSkinWin::InstallSkin(QWidget* window)
{
    if (!window || !m_frame.IsLoaded())
        return false;
    HookWindow(nullptr);
    HookWindow(window);
    m_installed = true;
    const Qt::WindowFlags flags = window->windowFlags();
    m_standardFlags = flags;
    m_standardMargins = window->contentsMargins();
    m_standardMinimum = window->minimumSize();
    m_hints.thickFrame = window->minimumSize() != window->maximumSize() &&
                         !(flags & Qt::MSWindowsFixedSizeDialogHint);
    m_hints.minimiseBox = flags.testFlag(Qt::WindowMinimizeButtonHint);
    m_hints.maximiseBox = flags.testFlag(Qt::WindowMaximizeButtonHint);
    m_active = window->isActiveWindow();
    m_title = window->windowTitle();
    FollowState();
    ApplyFrame();
    return true;
}

void CSkinWin::ApplyFrame()
{
    QWidget* dialog = Dialog();
    if (!dialog)
        return;
    if (m_frame.IsLoaded()) {
        if (!m_framed) {
            m_translucent = m_frame.UsesTran() && PlatformComposites();
            if (m_translucent)
                dialog->setAttribute(Qt::WA_TranslucentBackground, true);
            dialog->setAttribute(Qt::WA_Hover, true);
            Restyle(dialog, (m_standardFlags | Qt::FramelessWindowHint) &
                                ~(Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                  Qt::WindowMaximizeButtonHint));
            m_framed = true;
        }
        SetClientMargins(m_frame.Margins());
        if (m_hints.thickFrame)
            dialog->setMinimumSize(m_standardMinimum.expandedTo(m_frame.MinimumSize()));
    } else {
        if (m_framed) {
            if (m_translucent)
                dialog->setAttribute(Qt::WA_TranslucentBackground, false);
            Restyle(dialog, m_standardFlags);
            m_framed = false;
            m_translucent = false;
        }
        SetClientMargins(QMargins());
        if (m_hints.thickFrame)
            dialog->setMinimumSize(m_standardMinimum);
    }
    UpdateShape();
    dialog->update();
}

void CSkinWin::SetClientMargins(const QMargins& margins)
{
    QWidget* dialog = Dialog();
    const QPoint delta(margins.left() - m_frameMargins.left(),
                       margins.top() - m_frameMargins.top());
    // Children keep their places in the client area, as the dialog gave them.
    if (!delta.isNull()) {
        for (QWidget* child : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!child->isWindow())
                child->move(child->pos() + delta);
        }
    }
    m_frameMargins = margins;
    dialog->setContentsMargins(m_standardMargins + margins);
    SetSkinClientOrigin(dialog, QPoint(margins.left(), margins.top()));
}

void CSkinWin::UpdateShape()
{
    QWidget* dialog = Dialog();
    if (!dialog)
        return;
    if (m_framed && m_frame.UsesTran())
        SetWidgetRegion(dialog, m_frame.WindowRegion(dialog->size()));
    else if (!dialog->mask().isEmpty())
        dialog->clearMask();
}

CSkinCtrl* CSkinWin::AddControl(QWidget* child)
{
    if (!child)
        return nullptr;
    CSkinCtrl* control = SkinWrap::Wrap(child, m_themePath, &m_buttonSkin);
    QObject* object = nullptr;
    if (control) {
        object = dynamic_cast<QObject*>(control);
    } else if (CSkinSliderCtrl* slider = CSkinSliderCtrl::Wrap(child)) {
        slider->LoadSkin(m_themePath);
        control = slider, object = slider;
    } else if (CSkinListCtrl* list = CSkinListCtrl::Wrap(child, m_themePath)) {
        control = list, object = list;
    } else if (CSkinTabCtrl* tab = CSkinTabCtrl::Wrap(child)) {
        tab->LoadSkin(m_themePath);
        control = tab, object = tab;
    }
    if (control && object)
        m_controls.push_back({object, control});
    return control;
}

void CSkinWin::AddControls(QWidget* window)
{
    if (!window)
        return;
    std::vector<QPointer<QWidget>> children;
    CollectControls(window, children);
    for (const QPointer<QWidget>& child : children) {
        if (child)
            AddControl(child);
    }
    m_first = false;
}

int CSkinWin::ControlCount() const
{
    int count = 0;
    for (const Control& c : m_controls)
        count += c.object ? 1 : 0;
    return count;
}

int CSkinWin::HitTest(const QPoint& point) const
{
    const QWidget* dialog = Dialog();
    if (!dialog || !m_framed)
        return H::HTCLIENT;
    return m_frame.HitTest(point, dialog->size(), m_hints, m_state == kMaximised);
}

QImage CSkinWin::CaptionImage() const
{
    const QWidget* dialog = Dialog();
    if (!dialog)
        return QImage();
    SkinFrame::Look look;
    look.active = m_active;
    look.maximised = m_state == kMaximised;
    // A button looks pressed only while the pointer stays on it.
    look.pressed = m_pressed == m_hover ? m_pressed : 0;
    look.hover = m_hover;
    look.hints = m_hints;
    look.title = m_title.isEmpty() ? dialog->windowTitle() : m_title;
    const QIcon icon = dialog->windowIcon();
    if (!icon.isNull())
        look.icon = icon.pixmap(SkinFrame::kIconSize, SkinFrame::kIconSize);
    return m_frame.Caption(dialog->size(), look);
}

void CSkinWin::RepaintFrame()
{
    QWidget* dialog = Dialog();
    if (dialog && dialog->isVisible())
        dialog->update(QRegion(dialog->rect()) - dialog->rect().marginsRemoved(m_frameMargins));
}

void CSkinWin::Paint(QEvent* event)
{
    QWidget* dialog = Dialog();
    const QRect client = dialog->rect().marginsRemoved(m_frameMargins);
    {
        QPainter painter(dialog);
        if (m_frame.DialogImage().IsLoaded()) {
            painter.setBrushOrigin(client.topLeft());
            painter.fillRect(client, QBrush(m_frame.DialogImage().Image()));
        } else if (m_translucent) {
            // The window starts see-through; its client area must not.
            painter.fillRect(client, dialog->palette().window());
        }
    }
    Default();
    QPainter painter(dialog);
    painter.setClipRegion(static_cast<QPaintEvent*>(event)->region());
    m_frame.DrawBorders(painter, dialog->size(), m_active);
    QImage caption = CaptionImage();
    if (m_translucent) {
        caption = caption.convertToFormat(QImage::Format_ARGB32);
        const QRgb key = ColorRefToQColor(m_frame.TransColor()).rgb() & 0xFFFFFFu;
        for (int y = 0; y < caption.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(caption.scanLine(y));
            for (int x = 0; x < caption.width(); ++x) {
                if ((line[x] & 0xFFFFFFu) == key)
                    line[x] = 0;
            }
        }
        painter.setCompositionMode(QPainter::CompositionMode_Source);
    }
    painter.drawImage(0, 0, caption);
}

QMenu* CSkinWin::SystemMenu()
{
    if (m_menu)
        return m_menu;
    m_menu = new QMenu(Dialog());
    const std::pair<const char*, int> items[] = {
        {"还原", SC_RESTORE}, {"最小化", SC_MINIMIZE}, {"最大化", SC_MAXIMIZE}};
    for (const auto& [text, command] : items)
        m_menu->addAction(QString::fromUtf8(text))->setData(command);
    m_menu->addSeparator();
    m_menu->addAction(QString::fromUtf8("关闭"))->setData(int(SC_CLOSE));
    connect(m_menu, &QMenu::triggered, this, &CSkinWin::OnCommand);
    return m_menu;
}

void CSkinWin::UpdateSystemMenu()
{
    QMenu* menu = SystemMenu();
    QAction* minimise = nullptr;
    QAction* maximise = nullptr;
    QAction* restore = nullptr;
    for (QAction* action : menu->actions()) {
        const int command = action->data().toInt();
        if (command == SC_MINIMIZE)
            minimise = action;
        else if (command == SC_MAXIMIZE)
            maximise = action;
        else if (command == SC_RESTORE)
            restore = action;
    }
    if (!minimise || !maximise || !restore)
        return;
    switch (m_state) {
    case kNormal:
        minimise->setEnabled(m_hints.minimiseBox);
        restore->setEnabled(false);
        maximise->setEnabled(m_hints.maximiseBox);
        break;
    case kMaximised:
        maximise->setEnabled(false);
        restore->setEnabled(m_hints.maximiseBox);
        break;
    case kMinimised:
        if (m_hints.minimiseBox)
            minimise->setEnabled(false);
        if (m_hints.maximiseBox)
            restore->setEnabled(true);
        break;
    }
}

void CSkinWin::ShowSystemMenu(const QPoint& globalPos)
{
    UpdateSystemMenu();
    SystemMenu()->popup(globalPos);
}

void CSkinWin::OnCommand(QAction* action)
{
    QWidget* dialog = Dialog();
    if (!dialog || !action || !m_frame.IsLoaded())
        return;
    switch (action->data().toInt()) {
    case SC_MAXIMIZE:
        Maximize();
        break;
    case SC_MINIMIZE:
        Minimize();
        break;
    case SC_RESTORE:
        Restore();
        break;
    case SC_CLOSE:
        dialog->close();
        break;
    default: // the dialog's own item: its triggered signal is its business
        break;
    }
}

void CSkinWin::Maximize()
{
    if (QWidget* dialog = Dialog())
        dialog->showMaximized();
}

void CSkinWin::Restore()
{
    QWidget* dialog = Dialog();
    if (!dialog)
        return;
    if (m_state == kMinimised) {
        // Back to the state it had before it was minimised.
        dialog->setWindowState(dialog->windowState() & ~Qt::WindowMinimized);
        dialog->show();
    } else if (m_state == kMaximised) {
        dialog->showNormal();
    }
    RepaintFrame();
}

void CSkinWin::Minimize()
{
    if (QWidget* dialog = Dialog())
        dialog->showMinimized();
}

void CSkinWin::FollowState()
{
    const Qt::WindowStates states = Dialog()->windowState();
    const int state = states & Qt::WindowMinimized                            ? kMinimised
                      : states & (Qt::WindowMaximized | Qt::WindowFullScreen) ? kMaximised
                                                                              : kNormal;
    m_state = state;
}

void CSkinWin::SetHover(int hit)
{
    QWidget* dialog = Dialog();
    const int shown = hit == H::HTCLIENT ? 0 : hit;
    if (IsEdge(shown)) {
        dialog->setCursor(CursorOf(shown));
        m_cursorSet = true;
    } else if (m_cursorSet) {
        dialog->unsetCursor();
        m_cursorSet = false;
    }
    m_hover = shown;
    if (shown != m_last) {
        m_last = shown;
        RepaintFrame();
    }
}

void CSkinWin::StartMoveOrResize(int hit, const QPoint& globalPos)
{
    QWidget* dialog = Dialog();
    QWindow* handle = dialog->windowHandle();
    const bool started = handle && (hit == H::HTCAPTION ? handle->startSystemMove()
                                                        : handle->startSystemResize(EdgesOf(hit)));
    if (started) {
        // The window system has the pointer now; no release is to be expected.
        m_pressed = 0;
        m_dragHit = 0;
        return;
    }
    m_dragHit = hit;
    m_dragStart = globalPos;
    m_dragGeometry = dialog->geometry();
}

bool CSkinWin::OnPress(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const int hit = HitTest(pos);
    if (event->button() == Qt::LeftButton)
        m_pressTaken = false;
    if (hit == H::HTCLIENT)
        return false;
    if (event->button() == Qt::RightButton) {
        if (hit == H::HTCAPTION)
            ShowSystemMenu(event->globalPosition().toPoint());
        return true;
    }
    if (event->button() != Qt::LeftButton)
        return true;
    m_pressed = m_hover = hit;
    RepaintFrame();
    if (IsEdge(hit) || (hit == H::HTCAPTION && m_state != kMaximised)) {
        m_pressTaken = true;
        StartMoveOrResize(hit, event->globalPosition().toPoint());
    } else if (hit == H::HTSYSMENU) {
        m_pressTaken = true;
        ShowSystemMenu(event->globalPosition().toPoint());
        // The menu took the release.
        m_pressed = 0;
    }
    return true;
}

bool CSkinWin::OnMove(QMouseEvent* event)
{
    QWidget* dialog = Dialog();
    if (m_dragHit != 0 && !(event->buttons() & Qt::LeftButton))
        m_dragHit = 0; // the release went elsewhere
    if (m_dragHit != 0) {
        const QPoint delta = event->globalPosition().toPoint() - m_dragStart;
        if (m_dragHit == H::HTCAPTION) {
            dialog->move(m_dragGeometry.topLeft() + delta);
            return true;
        }
        QRect g = m_dragGeometry;
        const Qt::Edges edges = EdgesOf(m_dragHit);
        const QSize least = dialog->minimumSize();
        if (edges & Qt::LeftEdge)
            g.setLeft(std::min(g.left() + delta.x(), g.right() + 1 - least.width()));
        if (edges & Qt::RightEdge)
            g.setRight(std::max(g.right() + delta.x(), g.left() + least.width() - 1));
        if (edges & Qt::TopEdge)
            g.setTop(std::min(g.top() + delta.y(), g.bottom() + 1 - least.height()));
        if (edges & Qt::BottomEdge)
            g.setBottom(std::max(g.bottom() + delta.y(), g.top() + least.height() - 1));
        dialog->setGeometry(g);
        return true;
    }
    const int hit = HitTest(event->position().toPoint());
    if (hit == H::HTCLIENT && m_pressed == 0) {
        SetHover(0);
        return false;
    }
    // The button under the pointer is the one a release would work.
    SetHover(hit);
    return m_pressed != 0 || hit != H::HTCLIENT;
}

bool CSkinWin::OnRelease(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return HitTest(event->position().toPoint()) != H::HTCLIENT;
    const bool pressed = m_pressed != 0;
    // A press that began a move, a resize or the system menu ends with them.
    const bool taken = m_pressTaken || m_dragHit != 0;
    m_dragHit = 0;
    m_pressed = 0;
    m_pressTaken = false;
    const int hit = HitTest(event->position().toPoint());
    // The release point decides, wherever the press was.
    if (!taken && IsButton(hit)) {
        m_hover = 0;
        RepaintFrame();
        if (hit == H::HTCLOSE) {
            Dialog()->close();
            return true;
        }
        if (hit == H::HTMINBUTTON)
            Minimize();
        else if (m_state == kMaximised)
            Restore();
        else
            Maximize();
        return true;
    }
    if (!pressed && hit == H::HTCLIENT)
        return false;
    SetHover(hit);
    RepaintFrame();
    return true;
}

bool CSkinWin::OnDoubleClick(QMouseEvent* event)
{
    const int hit = HitTest(event->position().toPoint());
    if (hit == H::HTCLIENT)
        return false;
    if (event->button() != Qt::LeftButton)
        return true;
    if (hit == H::HTCAPTION) {
        m_dragHit = 0;
        if (m_hints.thickFrame) {
            if (m_state == kMaximised)
                Restore();
            else
                Maximize();
        }
        m_pressed = m_hover = 0;
        RepaintFrame();
        return true;
    }
    // A quick second click on a title button is another press of it.
    return OnPress(event);
}

bool CSkinWin::WindowProc(QEvent* event)
{
    QWidget* dialog = Dialog();
    if (!dialog || !m_framed || !m_frame.IsLoaded())
        return CSubclassWnd::WindowProc(event);
    switch (event->type()) {
    case QEvent::Paint:
        Paint(event);
        return true;
    case QEvent::Resize:
        Default();
        UpdateShape();
        dialog->update();
        return true;
    case QEvent::ActivationChange:
        m_active = dialog->isActiveWindow();
        RepaintFrame();
        break;
    case QEvent::WindowTitleChange:
        m_title = dialog->windowTitle();
        if (dialog->isVisible())
            dialog->repaint(0, 0, dialog->width(), m_frame.TopHeight());
        break;
    case QEvent::WindowIconChange:
        RepaintFrame();
        break;
    case QEvent::WindowStateChange:
        FollowState();
        m_pressed = m_hover = m_last = 0;
        m_dragHit = 0;
        RepaintFrame();
        break;
    case QEvent::MouseButtonPress:
        return OnPress(static_cast<QMouseEvent*>(event)) || CSubclassWnd::WindowProc(event);
    case QEvent::MouseButtonRelease:
        return OnRelease(static_cast<QMouseEvent*>(event)) || CSubclassWnd::WindowProc(event);
    case QEvent::MouseButtonDblClick:
        return OnDoubleClick(static_cast<QMouseEvent*>(event)) || CSubclassWnd::WindowProc(event);
    case QEvent::MouseMove:
        return OnMove(static_cast<QMouseEvent*>(event)) || CSubclassWnd::WindowProc(event);
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
        if (m_dragHit == 0)
            SetHover(HitTest(static_cast<QHoverEvent*>(event)->position().toPoint()));
        break;
    case QEvent::HoverLeave:
    case QEvent::Leave:
        if (m_dragHit == 0) {
            m_hover = m_last = 0;
            if (!IsButton(m_pressed))
                m_pressed = 0;
            if (m_cursorSet) {
                dialog->unsetCursor();
                m_cursorSet = false;
            }
            RepaintFrame();
        }
        break;
    case QEvent::ContextMenu:
        if (HitTest(static_cast<QContextMenuEvent*>(event)->pos()) != H::HTCLIENT)
            return true;
        break;
    default:
        break;
    }
    return CSubclassWnd::WindowProc(event);
}

int ApplySkin(const QString& themePath, QWidget* window)
{
    if (!window)
        return 1;
    CSkinWin* skin = CSkinWin::Of(window);
    if (skin) {
        if (skin->LoadSkin(themePath) && !skin->IsHooked())
            skin->InstallSkin(window);
    } else {
        skin = new CSkinWin;
        skin->setParent(window);
        if (skin->LoadSkin(themePath))
            skin->InstallSkin(window);
    }
    if (!skin->ControlsAdded())
        skin->AddControls(window);
    window->update();
    return 1;
}
