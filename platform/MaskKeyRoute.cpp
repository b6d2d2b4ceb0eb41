#include "platform/MaskKeyRoute.h"

#include <QKeyEvent>
#include <QKeySequence>

#include <algorithm>

MaskKey RouteMaskKey(const QKeyEvent& event)
{
    if (event.matches(QKeySequence::Paste))
        return MaskKey::Paste;
    if (event.matches(QKeySequence::Cut))
        return MaskKey::Cut;
    for (QKeySequence::StandardKey key :
         {QKeySequence::DeleteStartOfWord, QKeySequence::DeleteEndOfWord,
          QKeySequence::DeleteEndOfLine, QKeySequence::DeleteCompleteLine, QKeySequence::Undo,
          QKeySequence::Redo}) {
        if (event.matches(key))
            return MaskKey::Refuse;
    }
    switch (event.key()) {
    case Qt::Key_Insert:
    case Qt::Key_Delete:
        return MaskKey::Swallow;
    case Qt::Key_Backspace:
        return MaskKey::Backspace;
    default:
        break;
    }
    const QString typed = event.text();
    const bool printable = !typed.isEmpty() && std::all_of(typed.begin(), typed.end(),
                                                           [](QChar c) { return c.isPrint(); });
    if (printable && !(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return MaskKey::Type;
    return MaskKey::PassOn;
}
