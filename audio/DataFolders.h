#pragma once

#include <QChar>
#include <QString>

class IMessageSink;

// The working sub-folders of the per-user data folder and the path helpers
// both programs share. Paths are program text ("/"-separated); any thread.

// Each returns its folder inside the data folder with a trailing "/",
// creating the folder when it is missing (the data folder itself must exist).
// When it can be neither found nor created, sink is told so and the result is
// empty.
QString GetTempFilesDir(IMessageSink& sink);
QString GetMyRingDir(IMessageSink& sink);
QString GetUpdateDir(IMessageSink& sink);

// Whether path names an existing folder (links followed).
bool DirectoryExists(const QString& path);
// Creates one folder (not its parents); false when it cannot.
bool CreateFolder(const QString& path);

// The text after the last separator (cut only when that separator is not the
// first character) with everything from its last "." on removed:
// "/a/song.x.mp3" gives "song.x".
QString GetPathTitle(const QString& path, QChar separator = u'/');
// The text from the last "." to the end, dot included, when that dot is not
// the first character; otherwise the whole path unchanged.
QString GetPathExtension(const QString& path);
