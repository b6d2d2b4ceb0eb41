#include "tests/audio/EncodedFixtures.h"

#include <cstring>

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

QString MakeAsf(const QString& name, const QStringList& metadata)
{
    const QString wav = MakeWav(name + ".wav", 22050, 1, 0.3);
    const QString path = PathOf(name);
    QStringList args{"-v", "error", "-y", "-i", wav, "-c:a", "wmav2", "-b:a", "32k"};
    for (const QString& entry : metadata)
        args << "-metadata" << entry;
    args << "-f"
         << "asf" << path;
    return !wav.isEmpty() && RunTool("ffmpeg", args) ? path : QString();
}

QString MakeOgg(const QString& name)
{
    const QString wav = MakeWav(name + ".wav", 22050, 1, 0.3);
    const QString path = PathOf(name);
    return !wav.isEmpty() && RunTool("oggenc", {"-Q", "-o", path, wav}) ? path : QString();
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

QByteArray Xor(QByteArray bytes, uint8_t key)
{
    for (char& b : bytes)
        b = static_cast<char>(static_cast<uint8_t>(b) ^ key);
    return bytes;
}

QByteArray Marker()
{
    return QByteArray("\x00\x01\x02\x03\x04\x05\x06\x07", 8);
}

QByteArray RingContainer(const QByteArray& payload, uint8_t key, uint8_t packed)
{
    QByteArray head(282, '\0');
    std::memcpy(head.data(), "ring title", 10);
    std::memcpy(head.data() + 128, "ring artist", 11);
    head[268] = static_cast<char>(key);
    head[273] = static_cast<char>(packed);
    head.replace(274, 8, Marker());
    if (packed == 0)
        head += QByteArray("\x11\x22\x33", 3);
    return head + Xor(payload, key);
}

} // namespace EncodedFixtures
