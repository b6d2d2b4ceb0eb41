#pragma once

#include <QIcon>

// The small pictures of Brevanta's toolbars, drawn in code so they stay crisp
// at any scale and need no image files.
namespace EditorIcons {

enum class Icon {
    Record, Loop, PlayFromStart, Play, Pause, Stop, GoToStart, CancelSelection,
    New, Open, Save, Cut, Copy, Paste, Undo, Redo, Delete, Trim, About, SaveAsRing, Upload
};

// size: the edge in device-independent pixels.
QIcon Make(Icon icon, int size);

} // namespace EditorIcons
