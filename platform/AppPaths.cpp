#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace AppPaths {

QString WithTrailingSlash(const QString& folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

QString ProgramFolder()
{
    return WithTrailingSlash(QCoreApplication::applicationDirPath());
}

QString InstalledDataFolder()
{
    return WithTrailingSlash(QDir::cleanPath(ProgramFolder() + QStringLiteral("../share/zuvo")));
}

QString DataFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return WithTrailingSlash(base) + QStringLiteral("VazoZedu/");
}

} // namespace AppPaths
