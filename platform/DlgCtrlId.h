#pragma once

class QObject;

// The dialog identifier of a control, which names its theme section
// ("CheckBox_1049"). Dialogs set it on the controls they build; a control
// without one answers 0, and -1 marks a control that deliberately has none (a
// group box read from the plain "GroupBox" section). Kept on the object, so
// dialogs that know nothing of the skin can still carry the ids it reads.
// GUI thread.
int GetDlgCtrlID(const QObject* control);
void SetDlgCtrlID(QObject* control, int id);
