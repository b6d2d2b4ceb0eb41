#pragma once

#include <QString>

// The steps by which a file the user owns (a ring of the ring library) is
// replaced without ever destroying the old one: the new content is written to
// a temporary name in the same folder and renamed over the target only once
// it is complete. Also the removal of a working file left by an earlier job.
// Paths are program text ("/"-separated). Any thread; nothing is shared.
namespace FileReplace {

// Removes path (a file, or a link, dangling or not) so that an old file is
// never taken for new output. true when nothing is left at path, also when
// nothing was there; false when it could not be removed.
bool RemoveStale(const QString& path);

// Makes a new empty file beside target (same folder, so the rename stays on
// one file system) with the rights of a file the user saved (0644), and
// returns its path; empty when none can be made. The caller writes into it
// and removes it again when the write fails.
QString TemporaryBeside(const QString& target);

// A path beside target (same folder, hidden) at which nothing exists now,
// for a writer that creates its file there exclusively itself (and fails,
// touching nothing, should the name be taken meanwhile); empty when the
// folder does not exist.
QString UnusedNameBeside(const QString& target);

// Puts from in place of to in one step: an old file at to is replaced
// atomically, so a reader sees the old file or the new one, never a part.
// false when the rename failed; both files are then as they were.
bool RenameOver(const QString& from, const QString& to);

enum class NewName {
    Placed, // from is now to
    Taken,  // something (a file, a folder, a link) is at to already
    Failed, // any other failure
};
// Renames from to to only while nothing is at to, in one step, so a file
// that appeared meanwhile is never replaced. Whatever the result, nothing
// but the rename happened: from and whatever is at to stay as they were.
NewName RenameNew(const QString& from, const QString& to);

} // namespace FileReplace
