#include "skin/SkinShapedButton.h"

#include "skin/MyBitmap.h"
#include "skin/WidgetRegion.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

CSkinShapedButton::CSkinShapedButton(QAbstractButton* button) : m_button(button)
{
    // Moves without a button pressed are needed to see the pointer enter the shape.
    button->setMouseTracking(true);
    HookWindow(button);
}

void CSkinShapedButton::PaintOver(QPainter&) const {}

void CSkinShapedButton::RefreshSkin()
{
    Rebuild();
}

void CSkinShapedButton::Rebuild()
{
    if (!m_button)
        return;
    m_face = RenderFace();
    if (m_face.isNull()) {
        if (m_shaped)
            m_button->clearMask();
        m_shaped = false;
        m_region = QRegion();
    } else {
        // Pure magenta is cut out whatever key colour the theme names for drawing.
        m_region = ImageRegion(m_face, 0xFF00FF);
        SetWidgetRegion(m_button, m_region);
        m_shaped = true;
    }
    m_button->update();
}

void CSkinShapedButton::SetHover(bool hover)
{
    if (m_hover == hover)
        return;
    m_hover = hover;
    Rebuild();
}

void CSkinShapedButton::Press()
{
    m_pressed = true;
    m_hover = true;
    if (m_button->focusPolicy() & Qt::ClickFocus)
        m_button->setFocus(Qt::MouseFocusReason);
    Rebuild();
}

void CSkinShapedButton::Release(bool inside)
{
    if (!m_pressed)
        return;
    m_pressed = false;
    m_hover = false;
    Rebuild();
    if (inside && m_button)
        m_button->click();
}

bool CSkinShapedButton::WindowProc(QEvent* event)
{
    if (!m_button)
        return CSubclassWnd::WindowProc(event);
    const bool skinned = !m_face.isNull();
    switch (event->type()) {
    case QEvent::Paint: {
        if (!skinned)
            break;
        QPainter painter(m_button);
        painter.setClipRegion(m_region);
        painter.drawImage(0, 0, m_face);
        painter.setClipping(false);
        PaintOver(painter);
        return true;
    }
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const bool inside = m_shaped ? m_region.contains(mouse->position().toPoint()) : false;
        SetHover(inside);
        return true;
    }
    case QEvent::MouseButtonPress: {
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
            break;
        Press();
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            break;
        // The shape decides, not the rectangle: a release on a cut-out corner
        // is outside.
        const QPoint at = mouse->position().toPoint();
        Release(m_shaped ? m_region.contains(at) : m_button->rect().contains(at));
        return true;
    }
    case QEvent::MouseButtonDblClick:
        return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Space || key->modifiers() != Qt::NoModifier)
            break;
        if (!key->isAutoRepeat()) {
            if (event->type() == QEvent::KeyPress)
                Press();
            else
                Release(true);
        }
        return true;
    }
    case QEvent::Leave:
        SetHover(false);
        break;
    case QEvent::Resize:
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::EnabledChange: {
        const bool result = Default();
        if (event->type() == QEvent::EnabledChange && !m_button->isEnabled())
            m_pressed = false;
        Rebuild();
        return result;
    }
    default:
        break;
    }
    return CSubclassWnd::WindowProc(event);
}
