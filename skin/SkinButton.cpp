#include "skin/SkinButton.h"

#include "skin/ButtonSkin.h"

#include <QPainter>
#include <QPushButton>

namespace {
constexpr ColorRef kDisabledText = 0x646464;
}

CSkinButton::CSkinButton(QPushButton* button)
    : CSkinShapedButton(button),
      m_textColour(QColorToColorRef(button->palette().color(QPalette::ButtonText)))
{
}

void CSkinButton::SetButtonSkin(const ButtonSkin* skin)
{
    m_skin = skin;
    Rebuild();
}

int CSkinButton::CurrentCell() const
{
    const QAbstractButton* button = Button();
    if (!button || !button->isEnabled())
        return ButtonSkin::Disabled;
    if (IsHover())
        return IsPressed() ? ButtonSkin::Pressed : ButtonSkin::Hover;
    return button->hasFocus() ? ButtonSkin::Focused : ButtonSkin::Normal;
}

QImage CSkinButton::RenderFace() const
{
    if (!m_skin || !m_skin->IsLoaded() || !Button())
        return QImage();
    return m_skin->Render(CurrentCell(), Button()->size());
}

void CSkinButton::PaintOver(QPainter& painter) const
{
    const QAbstractButton* button = Button();
    const QWidget* dialog = button->parentWidget();
    painter.setFont(dialog ? dialog->font() : button->font());
    painter.setPen(ColorRefToQColor(button->isEnabled() ? m_textColour : kDisabledText));
    QRect area = button->rect();
    if (IsPressed() && IsHover())
        area.translate(2, 2);
    painter.drawText(area, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic,
                     button->text());
}
