#include "skin/SkinCheckCtrl.h"

#include "skin/ProfileFile.h"
#include "skin/SkinHelpers.h"
#include "skin/ThemeSize.h"

#include <QCheckBox>
#include <QEvent>
#include <QPainter>

namespace {
constexpr ColorRef kDisabledText = 0x646464;
}

CSkinCheckCtrl::CSkinCheckCtrl(QAbstractButton* button) : m_button(button)
{
    button->setMouseTracking(true);
    HookWindow(button);
}

bool CSkinCheckCtrl::LoadCells(const QString& themePath, const QString& section,
                               const QString& imageKey, const QString& sizeKey)
{
    m_placement.Load(themePath, section);
    m_loaded = false;
    m_image.DeleteObject();
    if (LoadThemeImage(m_image, section, imageKey, themePath)) {
        const CProfileFile theme = CProfileFile::Load(themePath);
        m_cellSize = ThemeSize(theme.GetInt(section, sizeKey, 0));
        m_trans = theme.GetInt(section, QStringLiteral("Trans"), 0);
        m_transColour = ReadProfileColor(theme, section, QStringLiteral("TransColor"), 0xFF00FF);
        m_loaded = true;
    }
    RefreshSkin();
    return m_loaded;
}

void CSkinCheckCtrl::RefreshSkin()
{
    m_placement.Apply(m_button);
    if (m_button)
        m_button->update();
}

int CSkinCheckCtrl::CurrentCell() const
{
    if (!m_button)
        return Unchecked;
    // A partly checked box is drawn unchecked.
    const auto* box = qobject_cast<const QCheckBox*>(m_button.data());
    const bool checked = box ? box->checkState() == Qt::Checked : m_button->isChecked();
    if (!m_button->isEnabled())
        return checked ? DisabledChecked : DisabledUnchecked;
    if (m_hover || m_button->hasFocus())
        return checked ? HotChecked : HotUnchecked;
    return checked ? Checked : Unchecked;
}

void CSkinCheckCtrl::Paint()
{
    QPainter painter(m_button);
    const int cell = CurrentCell();
    const int y = (m_button->height() - m_cellSize) / 2;
    m_image.DrawTrans(&painter, 0, y, QRect(cell * m_cellSize, 0, m_cellSize, m_cellSize),
                      m_transColour, m_trans != 0);
    const QWidget* dialog = m_button->parentWidget();
    painter.setFont(dialog ? dialog->font() : m_button->font());
    painter.setPen(ColorRefToQColor(m_button->isEnabled() ? m_textColour : kDisabledText));
    const QRect text(m_cellSize + 3, 0, m_button->width() - m_cellSize - 3, m_button->height());
    painter.drawText(text,
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic,
                     m_button->text());
}

bool CSkinCheckCtrl::WindowProc(QEvent* event)
{
    if (!m_button)
        return CSubclassWnd::WindowProc(event);
    switch (event->type()) {
    case QEvent::Paint:
        if (!m_loaded)
            break;
        Paint();
        return true;
    case QEvent::MouseButtonDblClick:
        return true;
    case QEvent::MouseMove:
        if (!m_hover) {
            m_hover = true;
            m_button->update();
        }
        break;
    case QEvent::Leave:
        m_hover = false;
        m_button->update();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease: {
        const bool result = Default();
        if (m_button)
            m_button->update();
        return result;
    }
    default:
        break;
    }
    return CSubclassWnd::WindowProc(event);
}
