#include "skin/SkinBmpButton.h"

#include "platform/DlgCtrlId.h"
#include "skin/SkinPlacement.h"

#include <QPainter>
#include <QPushButton>

CSkinBmpButton::CSkinBmpButton(QPushButton* button) : CSkinShapedButton(button)
{
    // Checking from the dialog's code changes the cell (and the shape) too.
    connect(button, &QAbstractButton::toggled, this, [this] { Rebuild(); });
}

bool CSkinBmpButton::LoadSkin(const QString& themePath)
{
    const QString section = QStringLiteral("BmpButton_%1").arg(GetDlgCtrlID(Button()));
    if (!m_skin.Load(themePath, section)) {
        Rebuild();
        return false;
    }
    RefreshSkin();
    return true;
}

void CSkinBmpButton::RefreshSkin()
{
    QAbstractButton* button = Button();
    if (!button)
        return;
    if (m_skin.IsLoaded()) {
        const QPoint origin = SkinClientOrigin(button);
        button->setGeometry(origin.x() + m_skin.posLeft, origin.y() + m_skin.posTop, m_skin.width,
                            m_skin.height);
        if (m_skin.hand)
            button->setCursor(Qt::PointingHandCursor);
        else
            button->unsetCursor();
    }
    Rebuild();
}

void CSkinBmpButton::SetCheck(bool checked)
{
    if (Button() && Button()->isCheckable()) {
        Button()->setChecked(checked);
        Button()->repaint();
    }
}

int CSkinBmpButton::CurrentCell() const
{
    const QAbstractButton* button = Button();
    if (!button || !button->isEnabled())
        return BmpButtonSkin::Normal;
    if (button->isCheckable() && button->isChecked())
        return BmpButtonSkin::Checked;
    if (IsHover())
        return IsPressed() ? BmpButtonSkin::Pressed : BmpButtonSkin::Hover;
    return BmpButtonSkin::Normal;
}

QImage CSkinBmpButton::RenderFace() const
{
    if (!m_skin.IsLoaded() || !Button() || Button()->size().isEmpty())
        return QImage();
    QImage face(Button()->size(), QImage::Format_RGB32);
    // Pixels the transparent draw leaves out are cut out of the shape too,
    // instead of showing as black.
    face.fill(QColor(255, 0, 255));
    QPainter dc(&face);
    m_skin.image.DrawTrans(&dc, 0, 0, m_skin.CellRect(CurrentCell()), m_skin.transColour,
                           m_skin.trans != 0);
    return face;
}
