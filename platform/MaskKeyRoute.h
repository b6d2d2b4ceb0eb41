#pragma once

class QKeyEvent;

// Where a masked field sends a key press, so every field routes keys alike
// and no key changes the text around the mask (MaskModel). GUI thread.
enum class MaskKey {
    PassOn,    // movement, selection, copy, Enter and the like: the field's own handling
    Type,      // printable text without Ctrl or Alt: typed through the mask
    Backspace, // through the mask
    Paste,     // the clipboard, through the mask
    Cut,       // copies only: cutting would tear holes in the mask
    Refuse,    // word and line deletion, undo, redo: refused audibly
    Swallow,   // Delete and Insert: nothing happens
};

MaskKey RouteMaskKey(const QKeyEvent& event);
