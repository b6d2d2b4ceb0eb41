#pragma once

#include "platform/ColorRef.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinPlacement.h"
#include "skin/SubclassWnd.h"

#include <QFont>
#include <QGroupBox>
#include <QPointer>

// A group box drawn as a one-pixel frame in the theme's "BorderColor" with
// its title in "TextColor" and a small fixed font ("新宋体", 12 px). The top
// line runs through the middle of the title and stops just after it, the
// title measured in its own font. Section "GroupBox_<id>"; a box without an
// identifier (0 or -1) reads the plain "GroupBox" section, reads no
// placement and never moves. Hooks the box and lives as long as it. GUI thread.
class CSkinGroup : public CSubclassWnd, public CSkinCtrl
{
    Q_OBJECT
public:
    explicit CSkinGroup(QGroupBox* box);

    // Reads the colours (and the placement of a box with an identifier), then
    // places it. Always true: the group box needs no image.
    bool LoadSkin(const QString& themePath);
    void RefreshSkin() override;
    bool WindowProc(QEvent* event) override;

    const QFont& CaptionFont() const { return m_font; }
    // The x where the top line's right-hand part ends, in the box.
    int TopLineEnd() const;

private:
    bool HasId() const;

    QPointer<QGroupBox> m_box;
    CSkinPlacement m_placement;
    QFont m_font;
    ColorRef m_borderColour = 0;
    ColorRef m_textColour = 0;
    bool m_loaded = false;
};
