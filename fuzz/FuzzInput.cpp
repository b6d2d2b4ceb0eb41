#include "fuzz/FuzzInput.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <iconv.h>
#include <cstdlib>

namespace FuzzInput {

namespace {

QTemporaryDir* MakeFolder()
{
    const QString base =
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    // Outlives every input; its destructor at exit removes the folder.
    static QTemporaryDir folder(base + QStringLiteral("/zuvo-fuzz-XXXXXX"));
    if (!folder.isValid()) {
        std::fprintf(stderr, "cannot make the scratch folder under %s\n", qPrintable(base));
        std::abort();
    }
    return &folder;
}

} // namespace

const QString& Folder()
{
    static const QString path = MakeFolder()->path();
    return path;
}

QString Write(const uint8_t* data, size_t size, const QString& name)
{
    const QString path = Folder() + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
            static_cast<qint64>(size)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::abort();
    }
    return path;
}

void Remove(const QString& name)
{
    QFile::remove(Folder() + QLatin1Char('/') + name);
}

void KeepConvertersLoaded()
{
    static const iconv_t open[] = {iconv_open("GBK", "UTF-16LE"), iconv_open("UTF-16LE", "GBK"),
                                   iconv_open("GBK", "UTF-8"), iconv_open("UTF-8", "GBK")};
    (void)open;
}

void Check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

} // namespace FuzzInput
