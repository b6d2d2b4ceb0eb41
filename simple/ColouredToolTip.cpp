#include "simple/ColouredToolTip.h"

#include <QApplication>
#include <QEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QPalette>
#include <QPointer>
#include <QToolTip>
#include <QWidget>

namespace {

// The program's one tooltip window as it shows now; null when none shows.
QLabel* ShownTipLabel()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->windowType() == Qt::ToolTip && window->isVisible() &&
            window->inherits("QTipLabel"))
            return qobject_cast<QLabel*>(window);
    }
    return nullptr;
}

// Closes a coloured tip as soon as the pointer leaves its tool (or the tool
// goes): the tooltip window is shared, and the next tool's tip, shown at once
// in the same window, must not keep these colours. Lives as long as the tip.
class ColouredTipCloser : public QObject
{
public:
    ColouredTipCloser(QLabel* tip, QWidget* tool) : QObject(tip), m_tip(tip), m_tool(tool)
    {
        tool->installEventFilter(this);
    }

    // Puts one on tip for tool, unless one is there already.
    static void Watch(QLabel* tip, QWidget* tool)
    {
        for (const QObject* child : tip->children()) {
            const auto* closer = dynamic_cast<const ColouredTipCloser*>(child);
            if (closer && closer->m_tool == tool)
                return;
        }
        new ColouredTipCloser(tip, tool);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type == QEvent::Leave || type == QEvent::Hide || type == QEvent::MouseButtonPress) {
            watched->removeEventFilter(this);
            if (m_tip)
                m_tip->close(); // gone now, not after the usual fade delay
        }
        return false;
    }

private:
    QPointer<QLabel> m_tip;
    QPointer<QWidget> m_tool;
};

} // namespace

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
    QToolTip::showText(globalPos, text, widget);
    // Only this tip takes the colours: the program-wide tooltip palette, which
    // every other tip is made with, stays as the desktop gives it.
    QLabel* tip = ShownTipLabel();
    if (!tip)
        return;
    QPalette palette = tip->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::ToolTipBase, background);
        palette.setColor(group, QPalette::ToolTipText, textColour);
        palette.setColor(group, QPalette::Window, background);
        palette.setColor(group, QPalette::WindowText, textColour);
    }
    tip->setPalette(palette);
    if (widget)
        ColouredTipCloser::Watch(tip, widget);
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
