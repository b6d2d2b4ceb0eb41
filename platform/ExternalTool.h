#pragma once

#include <QString>
#include <QStringList>

// Runs one of the command-line tools the programs use (the MP3 encoder, the
// Ogg decoder) with an argument list, never through a shell, and waits for it
// however long it takes. The tool is looked for in the program folder first,
// then on PATH. Any thread.
class ExternalTool
{
public:
    enum class Result {
        Succeeded,     // ran and exited with status 0
        Failed,        // ran but crashed or exited with another status
        CannotStart    // not found, or could not be started
    };

    explicit ExternalTool(QString name);

    // The tool's absolute path; empty when it is nowhere to be found.
    QString Locate() const;
    // Deletes target first (so stale output is never taken for new), then runs
    // the tool with args.
    Result Run(const QStringList& args, const QString& target) const;

private:
    QString m_name;
};
