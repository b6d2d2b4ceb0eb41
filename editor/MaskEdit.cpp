#include "editor/MaskEdit.h"

#include "platform/MaskKeyRoute.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>

CMaskEdit::CMaskEdit(QWidget* parent) : QLineEdit(parent)
{
    setAcceptDrops(false);
    // A thin black frame, white ground and navy text; grey when read-only.
    setStyleSheet(
        QStringLiteral("QLineEdit { border: 1px solid black; padding: 0px; background: white;"
                       " color: #000080; }"
                       "QLineEdit[readOnly=\"true\"] { color: palette(mid); }"));
}

void CMaskEdit::SetMask(const QString& mask, const QString& literal, const QString& validChars)
{
    m_model.SetMask(mask, literal, validChars);
}

void CMaskEdit::SetMaskedText(const QString& text)
{
    m_model.SetText(text);
    setText(text);
}

template <typename Change> void CMaskEdit::Apply(Change change)
{
    m_model.SetText(text());
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    const int end = hasSelectedText() ? selectionEnd() : cursorPosition();
    m_model.SetSelection(start, end);
    bool beep = false;
    change(&beep);
    if (text() != m_model.Text())
        setText(m_model.Text());
    setCursorPosition(m_model.Caret());
    if (beep)
        QApplication::beep();
}

void CMaskEdit::PasteFromClipboard()
{
    const QString pasted = QApplication::clipboard()->text();
    Apply([&](bool* beep) { m_model.Paste(pasted, beep); });
}

bool CMaskEdit::IsWindowEditKey(const QKeyEvent* event)
{
    for (QKeySequence::StandardKey key :
         {QKeySequence::Undo, QKeySequence::Redo, QKeySequence::Cut, QKeySequence::Copy,
          QKeySequence::Paste}) {
        if (event->matches(key))
            return true;
    }
    // The window's own key bindings, whatever the desktop's scheme says.
    static const QKeySequence kWindowKeys[] = {
        QKeySequence(Qt::CTRL | Qt::Key_Z),       QKeySequence(Qt::ALT | Qt::Key_Backspace),
        QKeySequence(Qt::CTRL | Qt::Key_Y),       QKeySequence(Qt::CTRL | Qt::Key_X),
        QKeySequence(Qt::SHIFT | Qt::Key_Delete), QKeySequence(Qt::CTRL | Qt::Key_C),
        QKeySequence(Qt::CTRL | Qt::Key_Insert),  QKeySequence(Qt::CTRL | Qt::Key_V),
        QKeySequence(Qt::SHIFT | Qt::Key_Insert),
    };
    const QKeySequence pressed(event->keyCombination());
    return std::find(std::begin(kWindowKeys), std::end(kWindowKeys), pressed) !=
           std::end(kWindowKeys);
}

bool CMaskEdit::event(QEvent* event)
{
    // Not claiming the key lets the window's shortcut run; when none takes
    // it, the key still arrives here as a key press.
    if (event->type() == QEvent::ShortcutOverride &&
        IsWindowEditKey(static_cast<QKeyEvent*>(event))) {
        event->ignore();
        return true;
    }
    return QLineEdit::event(event);
}

void CMaskEdit::keyPressEvent(QKeyEvent* event)
{
    if (!m_model.IsOn() || isReadOnly()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    switch (RouteMaskKey(*event)) {
    case MaskKey::Paste:
        PasteFromClipboard();
        return;
    case MaskKey::Cut:
        copy();
        return;
    case MaskKey::Refuse:
        QApplication::beep();
        return;
    case MaskKey::Swallow:
        return;
    case MaskKey::Backspace:
        Apply([&](bool* beep) { m_model.Backspace(beep); });
        return;
    case MaskKey::Type: {
        const QString typed = event->text();
        Apply([&](bool* beep) {
            for (QChar c : typed) {
                if (!m_model.TypeChar(c, beep))
                    break;
            }
        });
        return;
    }
    case MaskKey::PassOn:
        break;
    }
    // Movement, selection, copy, Enter and the like.
    QLineEdit::keyPressEvent(event);
}

void CMaskEdit::mouseReleaseEvent(QMouseEvent* event)
{
    // The middle button pastes the X11 selection at the caret its press
    // placed; through the mask like any other paste.
    if (m_model.IsOn() && event->button() == Qt::MiddleButton) {
        QClipboard* clipboard = QApplication::clipboard();
        if (!isReadOnly() && clipboard->supportsSelection()) {
            const QString pasted = clipboard->text(QClipboard::Selection);
            Apply([&](bool* beep) { m_model.Paste(pasted, beep); });
        }
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void CMaskEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (!m_model.IsOn()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    // Only committed text counts, and it is typed through the mask.
    const QString committed = event->commitString();
    if (!committed.isEmpty())
        Apply([&](bool* beep) { m_model.Paste(committed, beep); });
    event->accept();
}

void CMaskEdit::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_model.IsOn()) {
        QLineEdit::contextMenuEvent(event);
        return;
    }
    QMenu menu(this);
    QAction* copyAction = menu.addAction(QStringLiteral("复制(&C)"), this, &QLineEdit::copy);
    copyAction->setEnabled(hasSelectedText());
    QAction* pasteAction =
        menu.addAction(QStringLiteral("粘贴(&P)"), this, &CMaskEdit::PasteFromClipboard);
    pasteAction->setEnabled(!isReadOnly() && !QApplication::clipboard()->text().isEmpty());
    menu.addSeparator();
    menu.addAction(QStringLiteral("全选(&A)"), this, &QLineEdit::selectAll);
    menu.exec(event->globalPos());
}

void CMaskEdit::dragEnterEvent(QDragEnterEvent* event)
{
    if (m_model.IsOn())
        event->ignore();
    else
        QLineEdit::dragEnterEvent(event);
}

void CMaskEdit::dropEvent(QDropEvent* event)
{
    if (m_model.IsOn())
        event->ignore();
    else
        QLineEdit::dropEvent(event);
}
