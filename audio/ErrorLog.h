#pragma once

#include <QString>

// Appends time-stamped entries to a text file. A name without a folder is kept
// in the data folder. Every failure is swallowed: logging never disturbs the
// caller. Each entry is written with one append, so entries from several
// threads or processes never interleave. Any thread.
class CErrorLog
{
public:
    explicit CErrorLog(QString fileName = QStringLiteral("ErrorLog.txt"));
    virtual ~CErrorLog() = default;

    void SetFileName(const QString& name);
    // The absolute path entries go to.
    QString GetFilePath() const;

    // Writes "[y-m-d, h:m:s]\n" in local time, then the formatted message as it
    // stands (callers end it with "\n").
    void Write(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
    QString m_fileName;
};
