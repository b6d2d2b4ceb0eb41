#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
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

QString MakeDataFolder()
{
    const QString bare = DataFolder().chopped(1);
    if (QFileInfo(bare).isDir() || QDir().mkpath(bare))
        return QString();
    return QStringLiteral("错误！目录『%1』不存在，\r\n且目录创建失败！").arg(bare);
}

} // namespace AppPaths
