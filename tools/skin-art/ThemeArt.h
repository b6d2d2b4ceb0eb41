#pragma once

#include <QString>

// Draws every image of one theme into folder. The caption height sets the
// frame; full adds the main dialog's images (tool buttons, slider, tabs, list,
// clock digits, spectrum pillar). False when an image cannot be written.
bool DrawThemeArt(const QString& folder, int captionHeight, bool full);
