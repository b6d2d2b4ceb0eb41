#pragma once

#include "skin/SkinCtrl.h"
#include "skin/SubclassWnd.h"

#include <QImage>
#include <QPointer>
#include <QRegion>

#include <QAbstractButton>
class QPainter;

// What the skinned push and bitmap buttons share: a face image shaped to its
// non-magenta pixels, and mouse and space-bar handling of their own. A click
// is a left press and a release inside the shape (or the space bar pressed and
// released); it goes through the button's click(), so a checkable button
// toggles and the dialog's clicked() connections run once per click. The
// second press of a double click is swallowed, so a double click is one click.
// The shape is rebuilt when the size, the state or the theme changes, never
// while painting. GUI thread.
class CSkinShapedButton : public CSubclassWnd, public CSkinCtrl
{
    Q_OBJECT
public:
    explicit CSkinShapedButton(QAbstractButton* button);

    QAbstractButton* Button() const { return m_button; }
    bool IsHover() const { return m_hover; }
    bool IsPressed() const { return m_pressed; }
    // The face as last built; null while the button keeps its standard look.
    const QImage& Face() const { return m_face; }

    bool WindowProc(QEvent* event) override;
    // Rebuilds the face and the shape for the new theme.
    void RefreshSkin() override;

protected:
    // The face for the current state at the widget's size; null for the
    // standard look.
    virtual QImage RenderFace() const = 0;
    // Draws over the face (a caption); nothing here.
    virtual void PaintOver(QPainter& painter) const;
    void Rebuild();

private:
    void Press();
    void Release(bool inside);
    void SetHover(bool hover);

    QPointer<QAbstractButton> m_button;
    QImage m_face;
    QRegion m_region;
    bool m_hover = false;
    bool m_pressed = false;
    bool m_shaped = false;
};
