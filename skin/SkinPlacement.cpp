#include "skin/SkinPlacement.h"

#include "skin/ProfileFile.h"

#include <QWidget>

void CSkinPlacement::Load(const QString& themePath, const QString& section)
{
    const CProfileFile theme = CProfileFile::Load(themePath);
    m_posX = theme.GetInt(section, QStringLiteral("PosX"), -1);
    m_posY = theme.GetInt(section, QStringLiteral("PosY"), -1);
    m_width = theme.GetInt(section, QStringLiteral("Width"), -1);
    m_height = theme.GetInt(section, QStringLiteral("Height"), -1);
}

void CSkinPlacement::Apply(QWidget* widget)
{
    if (!widget)
        return;
    if (!m_homeTaken) {
        m_home = widget->geometry();
        m_homeTaken = true;
    }
    if (m_posX < 0 || m_posY < 0)
        return;
    widget->setGeometry(m_posX, m_posY, m_width >= 0 ? m_width : m_home.width(),
                        m_height >= 0 ? m_height : m_home.height());
}
