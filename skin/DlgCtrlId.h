#pragma once

class QWidget;

// The dialog identifier of a control, which names its theme section
// ("CheckBox_1049"). Dialogs set it on the controls they build; a control
// without one answers 0, and -1 marks a control that deliberately has none (a
// group box read from the plain "GroupBox" section). GUI thread.
int GetDlgCtrlID(const QWidget* widget);
void SetDlgCtrlID(QWidget* widget, int id);
