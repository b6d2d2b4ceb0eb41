#pragma once

#include <QString>

// Names the user types for a file of ours are names, never paths.
namespace FileNameRules {

// False for an empty name, one holding "/", "\\", "..", '"' or a control
// character: such a name could leave its folder or be unreadable in a listing.
bool IsPlainName(const QString& name);

} // namespace FileNameRules
