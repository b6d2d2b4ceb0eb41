#include "skin/ThemeLocator.h"

#include "platform/AppPaths.h"

#include <QFileInfo>

namespace ThemeLocator {

QString Find(const QString& relative, const QStringList& folders)
{
    for (const QString& folder : folders) {
        const QString path = AppPaths::WithTrailingSlash(folder) + relative;
        if (QFileInfo(path).isFile())
            return path;
    }
    return folders.isEmpty() ? relative : AppPaths::WithTrailingSlash(folders.front()) + relative;
}

QString Find(const QString& relative)
{
    return Find(relative, {AppPaths::ProgramFolder(), AppPaths::InstalledDataFolder()});
}

} // namespace ThemeLocator
