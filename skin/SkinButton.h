#pragma once

#include "skin/SkinShapedButton.h"

#include "platform/ColorRef.h"

class ButtonSkin;
class QPushButton;

// A push button drawn from the frame skin's shared "Buttons" image, stretched
// to its size, with its caption centred in the dialog's font (2 px lower
// right while pressed, grey 0x646464 while disabled). Without a loaded button
// skin it keeps the standard look; its mouse handling runs either way.
// Hooks the button and lives as long as it. GUI thread.
class CSkinButton : public CSkinShapedButton
{
    Q_OBJECT
public:
    explicit CSkinButton(QPushButton* button);

    // The frame skin's image (not owned; null for none).
    void SetButtonSkin(const ButtonSkin* skin);
    // The cell for the current state: 2 disabled, 1 pressed under the
    // pointer, 3 hovered, 4 focused, else 0.
    int CurrentCell() const;

protected:
    QImage RenderFace() const override;
    void PaintOver(QPainter& painter) const override;

private:
    const ButtonSkin* m_skin = nullptr;
    ColorRef m_textColour;
};
