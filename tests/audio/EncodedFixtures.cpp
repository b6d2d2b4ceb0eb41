#include "tests/audio/EncodedFixtures.h"

#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QProcess>

#include <sys/stat.h>

namespace EncodedFixtures {

bool RunTool(const QString& program, const QStringList& args, QByteArray* out,
             const QByteArray& input)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, args);
    if (!process.waitForStarted(10000))
        return false;
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000))
        return false;
    if (out)
        *out = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QString PathOf(const QString& name)
{
    return TestEnvironment::Home() + u'/' + name;
}

QString MakeWav(const QString& name, int rate, int channels, double seconds)
{
    const QString path = PathOf(name);
    const bool ok = RunTool("sox", {"-n", "-r", QString::number(rate), "-c",
                                    QString::number(channels), "-b", "16", "-t", "wav", path,
                                    "synth", QString::number(seconds), "sine", "440"});
    return ok ? path : QString();
}

QString MakeMp3(const QString& name, int rate, double seconds, const QStringList& lameArgs)
{
    const QString wav = MakeWav(name + ".src.wav", rate, rate >= 32000 ? 2 : 1, seconds);
    const QString path = PathOf(name);
    if (wav.isEmpty() || !RunTool("lame", QStringList{"--quiet"} << lameArgs << wav << path))
        return QString();
    QFile::remove(wav);
    return path;
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

bool MakeFifo(const QString& path)
{
    return mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

QByteArray IconvGbk(const QString& text)
{
    QByteArray out;
    if (!RunTool("iconv", {"-f", "UTF-8", "-t", "GBK"}, &out, text.toUtf8()))
        return QByteArray("<iconv failed>");
    return out;
}

} // namespace EncodedFixtures
