#include "platform/FileReplace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

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

QString UnusedNameBeside(const QString& target)
{
    const QFileInfo info(target);
    if (!info.absoluteDir().exists())
        return QString();
    for (;;) {
        const QString candidate =
            info.absolutePath() +
            QStringLiteral("/.%1.%2.part")
                .arg(info.fileName())
                .arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0'));
        const QFileInfo taken(candidate);
        if (!taken.exists() && !taken.isSymLink())
            return candidate;
    }
}

NewName RenameNew(const QString& from, const QString& to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(),
                    RENAME_NOREPLACE) == 0)
        return NewName::Placed;
    if (errno == EEXIST)
        return NewName::Taken;
    // File systems without the flag (network ones) still refuse a link onto
    // an existing name.
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return NewName::Failed;
    if (::link(source.constData(), target.constData()) != 0)
        return errno == EEXIST ? NewName::Taken : NewName::Failed;
    if (::unlink(source.constData()) != 0) {
        ::unlink(target.constData());
        return NewName::Failed;
    }
    return NewName::Placed;
}

bool RenameOver(const QString& from, const QString& to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) ==
           0;
}

} // namespace FileReplace
