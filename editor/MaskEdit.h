#pragma once

#include "platform/MaskModel.h"

#include <QDateTime>
#include <QLineEdit>

// A single-line edit that forces its text into a mask (see MaskModel). Every
// change, whether typed, pasted (also the X11 selection with the middle
// button), cut, dropped or committed by an input method, goes through the mask
// or is refused; with the mask off it is a plain edit. The edit keys (undo,
// redo, cut, copy, paste) are left to the window's shortcuts; the field acts
// on them only when no enabled shortcut takes them.
// GUI thread only.
class CMaskEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit CMaskEdit(QWidget* parent = nullptr);

    void SetMask(const QString& mask, const QString& literal = QString(),
                 const QString& validChars = QString());
    void SetMaskedText(const QString& text);
    void SetHourLimit(int hours) { m_model.SetHourLimit(hours); }
    void SetMinuteLimit(int minutes) { m_model.SetMinuteLimit(minutes); }
    const MaskModel& Model() const { return m_model; }

protected:
    void SetDateMode(bool date) { m_model.SetDateMode(date); }

    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Hands the widget's selection to the model, runs the change and shows the
    // result; beeps when the model refused audibly.
    template <typename Change> void Apply(Change change);
    void PasteFromClipboard();
    // Undo, redo, cut, copy and paste keys: the window's commands, not the field's.
    static bool IsWindowEditKey(const QKeyEvent* event);

    MaskModel m_model;
};
