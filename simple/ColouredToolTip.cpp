#include "simple/ColouredToolTip.h"

#include <QEvent>
#include <QHelpEvent>
#include <QPalette>
#include <QToolTip>
#include <QWidget>

CColouredToolTip::CColouredToolTip(QColor background, QColor text, QObject* parent)
    : QObject(parent), m_background(background), m_text(text)
{
}

void CColouredToolTip::SetColours(QColor background, QColor text)
{
    m_background = background;
    m_text = text;
}

void CColouredToolTip::AddTool(QWidget* widget)
{
    if (widget)
        widget->installEventFilter(this);
}

void CColouredToolTip::Show(const QPoint& globalPos, const QString& text, QWidget* widget,
                            QColor background, QColor textColour)
{
    // One tooltip window serves the whole program: it takes the colours of
    // the tool it is about to show.
    QPalette palette = QToolTip::palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::ToolTipBase, background);
        palette.setColor(group, QPalette::ToolTipText, textColour);
        palette.setColor(group, QPalette::Window, background);
        palette.setColor(group, QPalette::WindowText, textColour);
    }
    QToolTip::setPalette(palette);
    QToolTip::showText(globalPos, text, widget);
}

bool CColouredToolTip::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* widget = qobject_cast<QWidget*>(watched);
        const QString text = widget ? widget->toolTip() : QString();
        if (widget && !text.isEmpty()) {
            Show(static_cast<QHelpEvent*>(event)->globalPos(), text, widget, m_background, m_text);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
