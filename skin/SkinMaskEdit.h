#pragma once

#include "platform/MaskModel.h"
#include "skin/SkinEdit.h"

#include <functional>

// A skinned edit with a fixed-width input mask and overwrite typing, as the
// main dialog's "00:00:00" selection fields use it. Every change (typing,
// backspace, paste from the keyboard, the menu or the middle button, cut,
// input-method text) goes through the mask (MaskModel); dropping is refused,
// and word deletion, undo and redo are refused with a beep. Backspace puts
// the prompt's character back and steps left. Every refusal beeps. GUI
// thread.
class CSkinMaskEdit : public CSkinEdit
{
    Q_OBJECT
public:
    explicit CSkinMaskEdit(QLineEdit* edit);

    // Turns the mask on with its per-position literal ('_' for a typed
    // position) and prompt, and shows text.
    void SetMask(const QString& mask, const QString& literal, const QString& text,
                 const QString& prompt);
    void SetDateMode(bool date) { m_model.SetDateMode(date); }
    // Shows text and makes it the mask's copy, so the range rules see it.
    void SetMaskedText(const QString& text);
    // What a refusal does; the desktop's beep by default.
    void SetBeeper(std::function<void()> beep) { m_beep = std::move(beep); }
    const MaskModel& Model() const { return m_model; }

    bool WindowProc(QEvent* event) override;

private:
    // Hands the edit's selection to the model, runs the change, shows the
    // result and beeps when the model refused audibly.
    template <typename Change> void Apply(Change change);
    void Paste(const QString& text);
    void ShowMenu(const QPoint& globalPos);

    MaskModel m_model;
    std::function<void()> m_beep;
};
