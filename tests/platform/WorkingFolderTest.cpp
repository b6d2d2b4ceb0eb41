#include "platform/AppPaths.h"
#include "platform/WorkingFolder.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

TEST(WorkingFolder, PrivateFolderInTheDataFolder)
{
    const QString folder = WorkingFolder::Path();
    ASSERT_FALSE(folder.isEmpty());
    EXPECT_TRUE(folder.endsWith('/'));
    const QFileInfo info(folder.chopped(1));
    EXPECT_EQ(info.absolutePath() + '/', AppPaths::DataFolder());
    EXPECT_TRUE(info.isDir());
    EXPECT_EQ(info.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                    QFile::ReadOther | QFile::WriteOther | QFile::ExeOther),
              QFile::Permissions());
    EXPECT_EQ(WorkingFolder::Path(), folder) << "one folder for the whole run";
    EXPECT_EQ(WorkingFolder::FilePath("~TMPREC.WAV"), folder + "~TMPREC.WAV");

    QFile file(folder + "~Temp.wav");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    WorkingFolder::Remove();
    EXPECT_FALSE(QFileInfo::exists(folder)) << "removed with its files";
    const QString next = WorkingFolder::Path();
    EXPECT_TRUE(QFileInfo(next).isDir());
    EXPECT_NE(next, folder);
}

// Another running program gets a folder of its own, and the folder goes when
// that program ends.
TEST(WorkingFolder, EachProcessHasItsOwnRemovedAtExit)
{
    const QString mine = WorkingFolder::Path();
    QProcess probe;
    probe.start(WORKING_PROBE);
    ASSERT_TRUE(probe.waitForFinished(10000));
    ASSERT_EQ(probe.exitCode(), 0);
    const QString theirs = QString::fromLocal8Bit(probe.readAllStandardOutput()).trimmed();
    ASSERT_FALSE(theirs.isEmpty());
    EXPECT_TRUE(theirs.startsWith(AppPaths::DataFolder()));
    EXPECT_NE(theirs, mine);
    EXPECT_FALSE(QFileInfo::exists(theirs));
    EXPECT_TRUE(QFileInfo(mine).isDir());
}

} // namespace
