#pragma once

#include <QString>

class ButtonSkin;
class CSkinCtrl;
class QPushButton;
class QWidget;

// Which standard Qt widget of a dialog becomes which skinned control. The
// test is on the exact class, so a dialog's own subclass (a link label, a
// field of its own) stays as it is:
//
//   QPushButton, not checkable, no icon          -> CSkinButton (default buttons too)
//   QPushButton marked by MarkBmpButton          -> CSkinBmpButton (checkable or not)
//   QCheckBox, two-state, text on the right      -> CSkinCheckBox
//   QRadioButton, text on the right              -> CSkinRadio
//   QGroupBox, not checkable                     -> CSkinGroup
//   QLabel showing text (not rich text)          -> CSkinStatic
//   QLineEdit                                    -> CSkinEdit
//
// Anything else stays standard, as a style outside this table does: a
// tristate or right-to-left check box, a checkable or icon push button
// without the mark, a checkable group box, and a label showing a pixmap,
// picture or movie (the skinned static would draw only its text) or rich
// text. Sliders, lists and tab controls have skinned forms of their own.
// GUI thread.
namespace SkinWrap {

enum class Kind { None, Button, BmpButton, CheckBox, Radio, Group, Static, Edit };

// Marks a push button to be drawn from its own "BmpButton_<id>" strip.
void MarkBmpButton(QPushButton* button);
Kind KindOf(const QWidget* widget);

// Wraps widget by its kind: the skinned control, owned by the widget, loaded
// from themePath (push buttons bound to buttonSkin); null for None.
CSkinCtrl* Wrap(QWidget* widget, const QString& themePath, const ButtonSkin* buttonSkin);

} // namespace SkinWrap
