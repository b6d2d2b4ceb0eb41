// Replacing a user's file through a temporary one beside it, and clearing a
// working file left by an earlier job.
#include "platform/FileReplace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

bool Put(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

TEST(FileReplace, RemoveStaleClearsFilesAndLinksButNotFolders)
{
    QTemporaryDir dir;
    const QString d = dir.path() + '/';
    ASSERT_TRUE(Put(d + "old.vox", "old"));
    ASSERT_TRUE(QFile::link(d + "gone", d + "dangling.vox"));
    ASSERT_TRUE(QDir().mkdir(d + "folder.vox"));

    EXPECT_TRUE(FileReplace::RemoveStale(d + "old.vox"));
    EXPECT_TRUE(FileReplace::RemoveStale(d + "dangling.vox"));
    EXPECT_TRUE(FileReplace::RemoveStale(d + "never.vox"));
    EXPECT_EQ(QDir(d).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
              QStringList{"folder.vox"});
    // A folder in the way is not a working file: it stays, and the caller
    // learns that the path is not clear.
    EXPECT_FALSE(FileReplace::RemoveStale(d + "folder.vox"));
}

TEST(FileReplace, TheOldFileStaysUntilTheNewOneIsRenamedOverIt)
{
    QTemporaryDir dir;
    const QString ring = dir.path() + "/晚安.kox";
    ASSERT_TRUE(Put(ring, "old ring"));

    const QString temporary = FileReplace::TemporaryBeside(ring);
    ASSERT_FALSE(temporary.isEmpty());
    EXPECT_EQ(QFileInfo(temporary).absolutePath(), dir.path());
    struct stat st
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(temporary).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    ASSERT_TRUE(Put(temporary, "new ring"));
    EXPECT_EQ(Read(ring), "old ring");

    // A rename that cannot happen leaves both files as they were.
    EXPECT_FALSE(FileReplace::RenameOver(temporary, dir.path() + "/missing/晚安.kox"));
    EXPECT_EQ(Read(temporary), "new ring");
    EXPECT_TRUE(FileReplace::RenameOver(temporary, ring));
    EXPECT_EQ(Read(ring), "new ring");
    EXPECT_FALSE(QFile::exists(temporary));

    // No temporary file where none can be made.
    EXPECT_TRUE(FileReplace::TemporaryBeside(dir.path() + "/missing/a.kox").isEmpty());
}

} // namespace
