#pragma once

#include <QString>

// The folders every part of both programs works in. Both results end in "/".
namespace AppPaths {

// Folder of the running program file (external tools are looked for here first).
QString ProgramFolder();

// The per-user data folder shared by both programs: the generic data location
// followed by "VazoZedu/". Not created here: start-up creates it.
QString DataFolder();

// Creates the data folder with its parents where it is missing. The start-up
// message for a folder that cannot be made, or an empty text when it exists.
QString MakeDataFolder();

// The read-only data an installation puts beside the program's folder
// ("<prefix>/share/zuvo/" for "<prefix>/bin/"): themes, help.
QString InstalledDataFolder();

// Appends "/" unless the text already ends with one.
QString WithTrailingSlash(const QString& folder);

} // namespace AppPaths
