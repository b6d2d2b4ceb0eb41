#include "editor/DropDownButton.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionToolButton>

CDropDownButton::CDropDownButton(QWidget* parent) : QToolButton(parent)
{
    setPopupMode(QToolButton::MenuButtonPopup);
}

QRect CDropDownButton::ArrowRect() const
{
    QStyleOptionToolButton option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ToolButton, &option, QStyle::SC_ToolButtonMenu,
                                   this);
}

void CDropDownButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && isEnabled() &&
        ArrowRect().contains(event->position().toPoint())) {
        event->accept();
        emit dropDown();
        return;
    }
    QToolButton::mousePressEvent(event);
}
