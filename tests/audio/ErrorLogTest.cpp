#include "audio/ErrorLog.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

TEST(ErrorLog, EntriesAreAppendedInOrderInTheDataFolder)
{
    QDir().mkpath(TestEnvironment::DataHome() + "/VazoZedu");
    CErrorLog log;
    log.SetFileName("DirectSoundPlayer.txt");
    EXPECT_EQ(log.GetFilePath(), TestEnvironment::DataHome() + "/VazoZedu/DirectSoundPlayer.txt");
    log.Write("创建m_pDirectSound失败\n");
    log.Write("%s %d\n", "second", 2);

    QFile file(log.GetFilePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    static const QRegularExpression entry(
        QStringLiteral("^\\[\\d{4}-\\d{1,2}-\\d{1,2}, \\d{1,2}:\\d{1,2}:\\d{1,2}\\]\n"
                       "创建m_pDirectSound失败\n"
                       "\\[[^\\]]+\\]\nsecond 2\n$"));
    EXPECT_TRUE(entry.match(text).hasMatch()) << text;
}

TEST(ErrorLog, UnwritableLogIsIgnored)
{
    CErrorLog log(TestEnvironment::Home() + "/missing/folder/log.txt");
    log.Write("nothing happens\n");
    EXPECT_FALSE(QFile::exists(log.GetFilePath()));
}
