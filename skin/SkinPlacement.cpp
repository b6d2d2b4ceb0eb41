#include "skin/SkinPlacement.h"

#include "skin/ProfileFile.h"
#include "skin/ThemeSize.h"

#include <QVariant>
#include <QWidget>

namespace {
constexpr char kOriginProperty[] = "zuvoClientOrigin";
}

QPoint SkinClientOrigin(const QWidget* widget)
{
    const QWidget* parent = widget ? widget->parentWidget() : nullptr;
    return parent ? parent->property(kOriginProperty).toPoint() : QPoint();
}

void SetSkinClientOrigin(QWidget* dialog, const QPoint& origin)
{
    if (dialog)
        dialog->setProperty(kOriginProperty, origin);
}

void CSkinPlacement::Load(const QString& themePath, const QString& section)
{
    const CProfileFile theme = CProfileFile::Load(themePath);
    m_posX = ThemeSize(theme.GetInt(section, QStringLiteral("PosX"), -1));
    m_posY = ThemeSize(theme.GetInt(section, QStringLiteral("PosY"), -1));
    m_width = ThemeSize(theme.GetInt(section, QStringLiteral("Width"), -1));
    m_height = ThemeSize(theme.GetInt(section, QStringLiteral("Height"), -1));
}

void CSkinPlacement::Apply(QWidget* widget)
{
    if (!widget)
        return;
    const QPoint origin = SkinClientOrigin(widget);
    if (!m_homeTaken) {
        // Kept in client coordinates: a theme with another frame moves the
        // client area, and the home place moves with it.
        m_home = widget->geometry().translated(-origin);
        m_homeTaken = true;
    }
    if (m_posX < 0 || m_posY < 0)
        return;
    widget->setGeometry(origin.x() + m_posX, origin.y() + m_posY,
                        m_width >= 0 ? m_width : m_home.width(),
                        m_height >= 0 ? m_height : m_home.height());
}

QRect CSkinPlacement::HomeIn(const QWidget* widget) const
{
    return m_home.translated(SkinClientOrigin(widget));
}
