#include "skin/BmpButtonSkin.h"

#include "skin/ProfileFile.h"
#include "skin/SkinHelpers.h"
#include "skin/ThemeSize.h"

bool BmpButtonSkin::Load(const QString& themePath, const QString& section)
{
    m_loaded = false;
    if (!LoadThemeImage(image, section, QStringLiteral("Bitmap"), themePath))
        return false;
    const CProfileFile theme = CProfileFile::Load(themePath);
    const auto number = [&](const char* key) {
        return ThemeSize(theme.GetInt(section, QString::fromLatin1(key), 0));
    };
    left = number("Left");
    top = number("Top");
    width = number("Width");
    height = number("Height");
    space = number("Space");
    posLeft = number("PosLeft");
    posTop = number("PosTop");
    trans = number("Trans");
    hand = number("Hand");
    transColour = ReadProfileColor(theme, section, QStringLiteral("TransColor"), 0xFF00FF);
    m_loaded = true;
    return true;
}

QRect BmpButtonSkin::CellRect(int cell) const
{
    return QRect(left, top + cell * (height + space), width, height);
}
