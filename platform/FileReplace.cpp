#include "platform/FileReplace.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>

namespace FileReplace {

bool RemoveStale(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    return QFile::remove(path);
}

QString TemporaryBeside(const QString& target)
{
    QTemporaryFile file(QFileInfo(target).absolutePath() + QStringLiteral("/.ring-XXXXXX.tmp"));
    file.setAutoRemove(false);
    if (!file.open())
        return QString();
    // The ring is the user's file like any other: readable by others as a
    // file saved by the user's tools is, not private to the program.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
    return file.fileName();
}

bool RenameOver(const QString& from, const QString& to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) ==
           0;
}

} // namespace FileReplace
