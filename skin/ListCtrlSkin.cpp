#include "skin/ListCtrlSkin.h"

#include "skin/ProfileFile.h"
#include "skin/SkinHelpers.h"
#include "skin/ThemeSize.h"

#include <utility>

bool ListCtrlSkin::Load(const QString& themePath, const QString& section)
{
    const std::pair<CMyBitmap*, const char*> images[] = {
        {&headerSpan, "ListColumnHeaderSpan"},
        {&headerStart, "ListColumnHeaderStart"},
        {&headerEnd, "ListColumnHeaderEnd"},
        {&verTop, "ListVerticleScrollbarTop"},
        {&verUpArrow, "ListVerticleScrollBarUpArrow"},
        {&verThumb, "ListVerticleScrollBarThumb"},
        {&verSpan, "ListVerticleScrollBarSpan"},
        {&verDownArrow, "ListVerticleScrollBarDownArrow"},
        {&verBottom, "ListVerticleScrollbarBottom"},
        {&horThumb, "ListHorizontalScrollBarThumb"},
        {&horSpan, "ListHorizontalScrollBarSpan"},
        {&horRightArrow, "ListHorizontalScrollBarRightArrow"},
        {&horLeftArrow, "ListHorizontalScrollBarLeftArrow"}};
    for (const auto& [bitmap, key] : images) {
        if (!LoadThemeImage(*bitmap, section, QLatin1String(key), themePath))
            return false;
    }

    const CProfileFile theme = CProfileFile::Load(themePath);
    const auto text = [&](const char* key) {
        const QString value = theme.GetString(section, QLatin1String(key));
        return value.isEmpty() ? QStringLiteral("宋体") : value;
    };
    const auto num = [&](const char* key) {
        return ThemeSize(theme.GetInt(section, QLatin1String(key), 12));
    };
    fontName = text("FontName");
    fontSize = num("FontSize");
    headFontName = text("HeadFontName");
    headFontSize = num("HeadFontSize");

    const auto colour = [&](const char* key, ColorRef def) {
        return ReadProfileColor(theme, section, QLatin1String(key), def);
    };
    highLightForeground = colour("HighLightForeground", 0xFF00FF);
    highLightBackground = colour("HighLightBackground", 0xFF00FF);
    textColor = colour("TextColor", 0xDCDCDC);
    textBkColor = colour("TextBkColor", 0x76554C);

    verBarWidth = num("VerBarWidth");
    verTopHeight = num("VerTopHeight");
    verBottomHeight = num("VerBottomHeight");
    verUpArrowHeight = num("VerUpArrowHeight");
    verDownArrowHeight = num("VerDownArrowHeight");
    verThumbHeight = num("VerThumbHeight");
    horBarHeight = num("HorBarHeight");
    horRightArrowWidth = num("HorRightArrowWidth");
    horLeftArrowWidth = num("HorLeftArrowWidth");
    horThumbWidth = num("HorThumbWidth");
    loaded = true;
    return true;
}
