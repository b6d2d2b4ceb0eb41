#include "skin/SkinEdit.h"

#include "platform/DlgCtrlId.h"
#include "skin/ProfileFile.h"
#include "skin/SkinHelpers.h"

#include <QEvent>
#include <QPainter>

CSkinEdit::CSkinEdit(QLineEdit* edit) : m_edit(edit)
{
    edit->setFrame(false);
    HookWindow(edit);
}

bool CSkinEdit::LoadSkin(const QString& themePath)
{
    const QString section = QStringLiteral("Edit_%1").arg(GetDlgCtrlID(m_edit));
    m_placement.Load(themePath, section);
    const CProfileFile theme = CProfileFile::Load(themePath);
    const QPalette palette = m_edit ? m_edit->palette() : QPalette();
    m_text = ReadProfileColor(theme, section, QStringLiteral("TextColor"), 0);
    m_background = ReadProfileColor(theme, section, QStringLiteral("BackGroundColor"), 0xFFFFFF);
    m_border = ReadProfileColor(theme, section, QStringLiteral("BorderColor"),
                                QColorToColorRef(palette.color(QPalette::Button)));
    m_disabled =
        ReadProfileColor(theme, section, QStringLiteral("DisableColor"),
                         QColorToColorRef(palette.color(QPalette::Disabled, QPalette::Text)));
    m_loaded = true;
    if (m_edit) {
        // The border takes the outermost pixel; the text stays inside it.
        m_edit->setTextMargins(1, 1, 1, 1);
        ApplyColours();
    }
    RefreshSkin();
    return true;
}

void CSkinEdit::ApplyColours()
{
    QPalette palette = m_edit->palette();
    const QColor text = ColorRefToQColor(m_edit->isReadOnly() ? m_disabled : m_text);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::Base, ColorRefToQColor(m_background));
    }
    palette.setColor(QPalette::Disabled, QPalette::Text, ColorRefToQColor(m_disabled));
    palette.setColor(QPalette::Disabled, QPalette::Base, ColorRefToQColor(m_background));
    m_edit->setPalette(palette);
}

void CSkinEdit::RefreshSkin()
{
    if (!m_edit)
        return;
    m_placement.Apply(m_edit);
    if ((m_placement.PosX() < 0 || m_placement.PosY() < 0) && m_placement.HasHome())
        m_edit->setGeometry(m_placement.HomeIn(m_edit));
    m_edit->update();
}

bool CSkinEdit::WindowProc(QEvent* event)
{
    if (!m_edit || !m_loaded)
        return CSubclassWnd::WindowProc(event);
    switch (event->type()) {
    case QEvent::Paint: {
        QPainter(m_edit).fillRect(m_edit->rect(), ColorRefToQColor(m_background));
        const bool result = Default();
        QPainter painter(m_edit);
        painter.setPen(ColorRefToQColor(m_border));
        painter.drawRect(m_edit->rect().adjusted(0, 0, -1, -1));
        (void)result; // the edit is drawn whatever its own handler answered
        return true;
    }
    case QEvent::ReadOnlyChange: {
        const bool result = Default();
        ApplyColours();
        return result;
    }
    default:
        break;
    }
    return CSubclassWnd::WindowProc(event);
}
