#pragma once

#include <QString>

// The private folder of one running program for its working files
// ("~TMPREC.WAV", "~VAZOZEDU.wav", "~Temp.wav", ...): a folder with a unique
// name (mode 0700) inside the data folder, so that two running programs never
// write each other's files. Made on first use, removed with its files when the
// process exits normally.
//
// Threads: any; the functions serialise among themselves.
namespace WorkingFolder {

// The folder, ending in "/". Made anew when it is gone or the data folder has
// moved (another HOME). Empty when it cannot be made.
QString Path();

// Path() + name; empty when the folder cannot be made.
QString FilePath(const QString& name);

// Removes the folder with its files now; the next Path() makes a new one.
void Remove();

} // namespace WorkingFolder
