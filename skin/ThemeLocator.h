#pragma once

#include <QString>
#include <QStringList>

// Finds a theme file ("skin/neostyle/theme.ini") next to the program (where
// the build puts it) or in the installed data folder. GUI thread or any.
namespace ThemeLocator {

// The first of folders (each ending in "/") holding relative as a file; when
// none does, the path under the first folder, which then reads as a theme
// without any key (every control keeps its standard look, no message).
QString Find(const QString& relative, const QStringList& folders);
// Find in the program folder, then in the installed data folder.
QString Find(const QString& relative);

} // namespace ThemeLocator
