#include "platform/Fonts.h"

#include <QFont>
#include <QStringList>

void InstallFontSubstitutions()
{
    const QStringList cjk = {QStringLiteral("WenQuanYi Zen Hei Sharp"),
                             QStringLiteral("WenQuanYi Zen Hei"),
                             QStringLiteral("Noto Sans CJK SC")};
    for (const char* family : {"宋体", "新宋体", "System"})
        QFont::insertSubstitutions(QString::fromUtf8(family), cjk);
}
