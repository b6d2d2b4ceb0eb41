#include "skin/SkinMaskEdit.h"

#include "platform/MaskKeyRoute.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

CSkinMaskEdit::CSkinMaskEdit(QLineEdit* edit) : CSkinEdit(edit), m_beep(&QApplication::beep)
{
    edit->setAcceptDrops(false);
    m_model.SetRangeRefusalBeeps(true);
}

void CSkinMaskEdit::SetMask(const QString& mask, const QString& literal, const QString& text,
                            const QString& prompt)
{
    m_model.SetMask(mask, literal);
    m_model.SetPrompt(prompt);
    SetMaskedText(text);
}

void CSkinMaskEdit::SetMaskedText(const QString& text)
{
    m_model.SetText(text);
    if (Edit())
        Edit()->setText(text);
}

template <typename Change> void CSkinMaskEdit::Apply(Change change)
{
    QLineEdit* edit = Edit();
    m_model.SetText(edit->text());
    const int start = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    const int end = edit->hasSelectedText() ? edit->selectionEnd() : edit->cursorPosition();
    m_model.SetSelection(start, end);
    bool beep = false;
    change(&beep);
    if (edit->text() != m_model.Text())
        edit->setText(m_model.Text());
    edit->setCursorPosition(m_model.Caret());
    if (beep && m_beep)
        m_beep();
}

void CSkinMaskEdit::Paste(const QString& text)
{
    Apply([&](bool* beep) { m_model.Paste(text, beep); });
}

void CSkinMaskEdit::ShowMenu(const QPoint& globalPos)
{
    QLineEdit* edit = Edit();
    // The edit's own menu would cut, paste and delete around the mask.
    QMenu menu(edit);
    QAction* copy = menu.addAction(QStringLiteral("复制(&C)"), edit, &QLineEdit::copy);
    copy->setEnabled(edit->hasSelectedText());
    const QString clip = QApplication::clipboard()->text();
    QAction* paste =
        menu.addAction(QStringLiteral("粘贴(&P)"), edit, [this, clip] { Paste(clip); });
    paste->setEnabled(!edit->isReadOnly() && !clip.isEmpty());
    menu.addSeparator();
    menu.addAction(QStringLiteral("全选(&A)"), edit, &QLineEdit::selectAll);
    menu.exec(globalPos);
}

bool CSkinMaskEdit::WindowProc(QEvent* event)
{
    QLineEdit* edit = Edit();
    if (!edit || !m_model.IsOn())
        return CSkinEdit::WindowProc(event);
    const bool editable = !edit->isReadOnly();
    switch (event->type()) {
    case QEvent::ShortcutOverride: {
        // The field takes the edit keys itself, so a shortcut cannot run
        // them around the mask.
        if (RouteMaskKey(*static_cast<QKeyEvent*>(event)) != MaskKey::PassOn) {
            event->accept();
            return true;
        }
        break;
    }
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!editable)
            break;
        switch (RouteMaskKey(*key)) {
        case MaskKey::Paste:
            Paste(QApplication::clipboard()->text());
            return true;
        case MaskKey::Cut:
            edit->copy();
            return true;
        case MaskKey::Refuse:
            if (m_beep)
                m_beep();
            return true;
        case MaskKey::Swallow:
            return true;
        case MaskKey::Backspace:
            Apply([&](bool* beep) { m_model.Backspace(beep); });
            return true;
        case MaskKey::Type: {
            const QString typed = key->text();
            Apply([&](bool* beep) {
                for (QChar c : typed) {
                    if (!m_model.TypeChar(c, beep))
                        break;
                }
            });
            return true;
        }
        case MaskKey::PassOn:
            break;
        }
        break;
    }
    case QEvent::MouseButtonRelease: {
        // The middle button pastes the X11 selection at the caret its press
        // placed.
        if (static_cast<QMouseEvent*>(event)->button() != Qt::MiddleButton)
            break;
        QClipboard* clipboard = QApplication::clipboard();
        if (editable && clipboard->supportsSelection())
            Paste(clipboard->text(QClipboard::Selection));
        return true;
    }
    case QEvent::InputMethod: {
        // Only committed text counts, typed through the mask.
        const QString committed = static_cast<QInputMethodEvent*>(event)->commitString();
        if (editable && !committed.isEmpty())
            Paste(committed);
        event->accept();
        return true;
    }
    case QEvent::ContextMenu:
        ShowMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        event->ignore();
        return true;
    default:
        break;
    }
    return CSkinEdit::WindowProc(event);
}
