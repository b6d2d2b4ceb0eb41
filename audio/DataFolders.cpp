#include "audio/DataFolders.h"

#include "platform/AppPaths.h"
#include "platform/IMessageSink.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString DataSubFolder(const QString& name, IMessageSink& sink)
{
    const QString folder = AppPaths::DataFolder() + name;
    if (!DirectoryExists(folder) && !CreateFolder(folder)) {
        sink.ShowMessage(
            QStringLiteral("错误！目录『%1』不存在，\r\n且目录创建失败！").arg(folder));
        return QString();
    }
    return folder + u'/';
}

} // namespace

QString GetTempFilesDir(IMessageSink& sink)
{
    return DataSubFolder(QStringLiteral("TempFiles"), sink);
}

QString GetMyRingDir(IMessageSink& sink)
{
    return DataSubFolder(QStringLiteral("MyRing"), sink);
}

QString GetUpdateDir(IMessageSink& sink)
{
    return DataSubFolder(QStringLiteral("update"), sink);
}

bool DirectoryExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool CreateFolder(const QString& path)
{
    return !path.isEmpty() && QDir().mkdir(path);
}

QString GetPathTitle(const QString& path, QChar separator)
{
    QString title = path;
    const qsizetype slash = title.lastIndexOf(separator);
    if (slash > 0)
        title = title.mid(slash + 1);
    const qsizetype dot = title.lastIndexOf(u'.');
    if (dot >= 0)
        title.truncate(dot);
    return title;
}

QString GetPathExtension(const QString& path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot > 0 ? path.mid(dot) : path;
}
