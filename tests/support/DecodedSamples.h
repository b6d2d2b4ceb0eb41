#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// The samples ffprobe decodes from the audio frames of a file's first audio
// stream (what a player hears, not what the container claims); -1 when ffprobe
// fails.
inline qint64 DecodedSamples(const QString& path)
{
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries",
                            "frame=nb_samples", "-of", "csv=p=0", path});
    if (!probe.waitForFinished(60000) || probe.exitStatus() != QProcess::NormalExit ||
        probe.exitCode() != 0)
        return -1;
    qint64 total = 0;
    for (const QByteArray& line : probe.readAllStandardOutput().split('\n'))
        total += line.trimmed().toLongLong();
    return total;
}
