#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

// A WAV file as Python's wave module reads it: a parser nobody here wrote.
struct PythonWave
{
    bool ok = false;
    int channels = 0;
    int rate = 0;
    int sampleWidth = 0; // bytes
    qint64 frames = 0;
    QByteArray samples; // every frame's bytes as the module returns them
};

inline PythonWave ReadWithPython(const QString& path)
{
    static const char kScript[] =
        "import sys, wave\n"
        "with wave.open(sys.argv[1], 'rb') as w:\n"
        "    p = w.getparams()\n"
        "    data = w.readframes(p.nframes)\n"
        "    sys.stdout.write('%d %d %d %d\\n' % (p.nchannels, p.framerate, p.sampwidth,"
        " p.nframes))\n"
        "    sys.stdout.flush()\n"
        "    sys.stdout.buffer.write(data)\n";
    QProcess python;
    python.start(QStandardPaths::findExecutable("python3"),
                 {"-c", QString::fromLatin1(kScript), path});
    PythonWave wave;
    if (!python.waitForFinished(30000) || python.exitStatus() != QProcess::NormalExit ||
        python.exitCode() != 0)
        return wave;
    const QByteArray out = python.readAllStandardOutput();
    const qsizetype newline = out.indexOf('\n');
    const QList<QByteArray> fields = out.left(newline).split(' ');
    if (newline < 0 || fields.size() != 4)
        return wave;
    wave.channels = fields[0].toInt();
    wave.rate = fields[1].toInt();
    wave.sampleWidth = fields[2].toInt();
    wave.frames = fields[3].toLongLong();
    wave.samples = out.mid(newline + 1);
    wave.ok = true;
    return wave;
}
