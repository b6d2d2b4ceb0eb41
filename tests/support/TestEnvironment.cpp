#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

namespace {

std::unique_ptr<QTemporaryDir> g_home;
QString g_systemTemp; // the temp folder before any test pointed TMPDIR elsewhere
std::unique_ptr<QTemporaryDir> g_processFolder;

QString Sub(const char* name)
{
    return g_home ? g_home->path() + u'/' + QLatin1String(name) : QString();
}

// Gives every test its own HOME and XDG folders, so nothing a test writes
// reaches the user's files or the next test.
class FreshHomeListener : public testing::EmptyTestEventListener
{
    void OnTestStart(const testing::TestInfo&) override
    {
        g_home = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/zuvo-test-XXXXXX");
        for (const char* sub : {"data", "config", "cache", "runtime", "tmp"})
            QDir(g_home->path()).mkpath(QLatin1String(sub));
        QFile::setPermissions(Sub("runtime"), QFile::ReadOwner | QFile::WriteOwner |
                                                  QFile::ExeOwner);
        qputenv("HOME", g_home->path().toUtf8());
        qputenv("XDG_DATA_HOME", Sub("data").toUtf8());
        qputenv("XDG_CONFIG_HOME", Sub("config").toUtf8());
        qputenv("XDG_CACHE_HOME", Sub("cache").toUtf8());
        qputenv("XDG_RUNTIME_DIR", Sub("runtime").toUtf8());
        // QSettings keeps the user path it found first; point it at this test's.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Sub("config"));
    }
    void OnTestEnd(const testing::TestInfo&) override { g_home.reset(); }
};

} // namespace

namespace TestEnvironment {

QString Home() { return g_home ? g_home->path() : QString(); }
QString DataHome() { return Sub("data"); }
QString ConfigHome() { return Sub("config"); }
QString RuntimeDir() { return Sub("runtime"); }

QString ProcessFolder()
{
    if (!g_processFolder) {
        const QString temp = g_systemTemp.isEmpty() ? QDir::tempPath() : g_systemTemp;
        g_processFolder = std::make_unique<QTemporaryDir>(temp + "/zuvo-disk-XXXXXX");
    }
    return g_processFolder->path();
}

void RemoveProcessFolder()
{
    g_processFolder.reset();
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

bool RunTool(const QString& program, const QStringList& args, QByteArray* out, int timeoutMs)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return false;
    if (out)
        *out = process.readAllStandardOutput();
    return true;
}

void InstallFreshHomeListener()
{
    g_systemTemp = QDir::tempPath();
    testing::UnitTest::GetInstance()->listeners().Append(new FreshHomeListener);
}

} // namespace TestEnvironment
