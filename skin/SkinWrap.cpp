#include "skin/SkinWrap.h"

#include "skin/SkinBmpButton.h"
#include "skin/SkinButton.h"
#include "skin/SkinCheckBox.h"
#include "skin/SkinEdit.h"
#include "skin/SkinGroup.h"
#include "skin/SkinRadio.h"
#include "skin/SkinStatic.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QTextDocument>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

constexpr char kBmpProperty[] = "zuvoBmpButton";

template <typename T> bool IsExactly(const QWidget* widget)
{
    return widget->metaObject() == &T::staticMetaObject;
}

} // namespace

namespace SkinWrap {

void MarkBmpButton(QPushButton* button)
{
    if (button)
        button->setProperty(kBmpProperty, true);
}

Kind KindOf(const QWidget* widget)
{
    if (!widget)
        return Kind::None;
    if (IsExactly<QPushButton>(widget)) {
        const auto* button = static_cast<const QPushButton*>(widget);
        if (button->property(kBmpProperty).toBool())
            return Kind::BmpButton;
        return !button->isCheckable() && button->icon().isNull() ? Kind::Button : Kind::None;
    }
    if (IsExactly<QCheckBox>(widget)) {
        const auto* box = static_cast<const QCheckBox*>(widget);
        return !box->isTristate() && box->layoutDirection() == Qt::LeftToRight ? Kind::CheckBox
                                                                               : Kind::None;
    }
    if (IsExactly<QRadioButton>(widget))
        return widget->layoutDirection() == Qt::LeftToRight ? Kind::Radio : Kind::None;
    if (IsExactly<QGroupBox>(widget))
        return static_cast<const QGroupBox*>(widget)->isCheckable() ? Kind::None : Kind::Group;
    if (IsExactly<QLabel>(widget)) {
        const auto* label = static_cast<const QLabel*>(widget);
        const bool picture =
            !label->pixmap().isNull() || !label->picture().isNull() || label->movie() != nullptr;
        // The skinned label draws plain text; rich text keeps the label's own drawing.
        const bool rich =
            label->textFormat() == Qt::RichText ||
            (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
        return picture || rich ? Kind::None : Kind::Static;
    }
    if (IsExactly<QLineEdit>(widget))
        return Kind::Edit;
    return Kind::None;
}

CSkinCtrl* Wrap(QWidget* widget, const QString& themePath, const ButtonSkin* buttonSkin)
{
    switch (KindOf(widget)) {
    case Kind::None:
        return nullptr;
    case Kind::Button: {
        auto* skin = new CSkinButton(static_cast<QPushButton*>(widget));
        skin->SetButtonSkin(buttonSkin);
        return skin;
    }
    case Kind::BmpButton: {
        auto* skin = new CSkinBmpButton(static_cast<QPushButton*>(widget));
        skin->LoadSkin(themePath);
        return skin;
    }
    case Kind::CheckBox: {
        auto* skin = new CSkinCheckBox(static_cast<QCheckBox*>(widget));
        skin->LoadSkin(themePath);
        return skin;
    }
    case Kind::Radio: {
        auto* skin = new CSkinRadio(static_cast<QRadioButton*>(widget));
        skin->LoadSkin(themePath);
        return skin;
    }
    case Kind::Group: {
        auto* skin = new CSkinGroup(static_cast<QGroupBox*>(widget));
        skin->LoadSkin(themePath);
        return skin;
    }
    case Kind::Static: {
        auto* skin = new CSkinStatic(static_cast<QLabel*>(widget));
        skin->RefreshSkin();
        return skin;
    }
    case Kind::Edit: {
        auto* skin = new CSkinEdit(static_cast<QLineEdit*>(widget));
        skin->LoadSkin(themePath);
        return skin;
    }
    }
    return nullptr;
}

} // namespace SkinWrap
