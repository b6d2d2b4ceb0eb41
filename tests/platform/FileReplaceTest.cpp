// Replacing a user's file through a temporary one beside it, placing a new
// file under a free name, and clearing a working file left by an earlier job.
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

// A new file by name (a downloaded material) never takes the place of
// anything that is there already, be it a file, a link or a folder.
TEST(FileReplace, RenameNewPlacesOnlyWhereNothingIs)
{
    QTemporaryDir dir;
    const QString d = dir.path() + '/';
    ASSERT_TRUE(Put(d + "body", "new"));
    ASSERT_TRUE(Put(d + "file.kox", "old"));
    ASSERT_TRUE(QFile::link(d + "gone", d + "dangling.kox"));
    ASSERT_TRUE(QDir().mkdir(d + "folder.kox"));

    for (const char* taken : {"file.kox", "dangling.kox", "folder.kox"}) {
        EXPECT_EQ(FileReplace::RenameNew(d + "body", d + taken), FileReplace::NewName::Taken)
            << taken;
        EXPECT_EQ(Read(d + "body"), "new") << taken;
    }
    EXPECT_EQ(Read(d + "file.kox"), "old");
    EXPECT_TRUE(QFileInfo(d + "dangling.kox").isSymLink());
    EXPECT_FALSE(QFileInfo::exists(d + "gone"));
    EXPECT_TRUE(QFileInfo(d + "folder.kox").isDir());

    EXPECT_EQ(FileReplace::RenameNew(d + "body", d + "missing/a.kox"),
              FileReplace::NewName::Failed);
    EXPECT_EQ(FileReplace::RenameNew(d + "body", d + "新.kox"), FileReplace::NewName::Placed);
    EXPECT_EQ(Read(d + "新.kox"), "new");
    EXPECT_FALSE(QFile::exists(d + "body"));
    EXPECT_EQ(FileReplace::RenameNew(d + "body", d + "again.kox"), FileReplace::NewName::Failed);
}

TEST(FileReplace, UnusedNameBesideIsAHiddenFreeNameInTheSameFolder)
{
    QTemporaryDir dir;
    const QString target = dir.path() + "/lib/updater.sh";
    EXPECT_TRUE(FileReplace::UnusedNameBeside(target).isEmpty()) << "no such folder";
    ASSERT_TRUE(QDir().mkdir(dir.path() + "/lib"));
    const QString first = FileReplace::UnusedNameBeside(target);
    const QFileInfo info(first);
    EXPECT_EQ(info.absolutePath(), dir.path() + "/lib");
    EXPECT_TRUE(info.fileName().startsWith('.')) << first.toStdString();
    EXPECT_FALSE(info.exists());
    // Made by someone else meanwhile: the next name is another.
    ASSERT_TRUE(Put(first, "x"));
    EXPECT_NE(FileReplace::UnusedNameBeside(target), first);
}

} // namespace
