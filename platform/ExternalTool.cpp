#include "platform/ExternalTool.h"

#include "platform/AppPaths.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

ExternalTool::ExternalTool(QString name) : m_name(std::move(name)) {}

QString ExternalTool::Locate() const
{
    const QString beside = AppPaths::ProgramFolder() + m_name;
    const QFileInfo info(beside);
    if (info.isFile() && info.isExecutable())
        return info.absoluteFilePath();
    return QStandardPaths::findExecutable(m_name);
}

ExternalTool::Result ExternalTool::Run(const QStringList& args, const QString& target) const
{
    if (!target.isEmpty() && QFileInfo(target).isFile())
        QFile::remove(target);
    const QString program = Locate();
    if (program.isEmpty())
        return Result::CannotStart;
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, args);
    if (!process.waitForStarted(-1))
        return Result::CannotStart;
    process.waitForFinished(-1);
    const bool ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return ok ? Result::Succeeded : Result::Failed;
}
