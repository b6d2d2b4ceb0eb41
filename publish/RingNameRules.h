#pragma once

#include <QString>

// What the ring dialogs accept as a ring's name: the name becomes a file name
// in the ring library and the name the service shows.
namespace RingNameRules {

// The longest name, counted in GBK bytes (32 Chinese characters).
inline constexpr int kMaxGbkBytes = 64;

// The name with white space trimmed from both ends.
QString Trimmed(const QString& name);

// Why the trimmed name is refused, or empty when it is fine. emptyMessage is
// the dialog's own words for an empty name.
QString Problem(const QString& trimmed, const QString& emptyMessage);

} // namespace RingNameRules
