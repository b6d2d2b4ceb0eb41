#pragma once

#include "skin/MyBitmap.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinPlacement.h"
#include "skin/SubclassWnd.h"

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSlider>

// A standard horizontal QSlider drawn from one theme image (the channel's
// fore and back parts and the thumb's normal, hover and pressed looks) and
// driven by this hook: a click beside the thumb steps by "HitStep" percent of
// the range, a drag moves in proportion to the pointer. A vertical slider is
// wrapped too but keeps its standard look and handling. GUI thread.
class CSkinSliderCtrl : public CSubclassWnd, public CSkinCtrl
{
    Q_OBJECT
public:
    // The code of a move notice, as the dialog reads it.
    enum ScrollCode { SB_LINELEFT = 0, SB_LINERIGHT = 1 };
    // HitTest's answers.
    enum Hit { kOnThumb = 0, kLeftOfThumb = 1, kRightOfThumb = 2, kNowhere = 3 };

    // Hooks slider when it is a plain QSlider without tick marks; null (and
    // nothing changed) for a class of the dialog's own or a slider with ticks.
    static CSkinSliderCtrl* Wrap(QWidget* slider);

    // Reads "SliderCtrl_<id>" of the theme; false, leaving the standard look,
    // when its "Image" is missing or does not load.
    bool LoadSkin(const QString& iniPath);
    // Applies the theme placement.
    void RefreshSkin() override;

    bool IsLoaded() const { return m_loaded; }
    // Loaded and horizontal: the hook draws and handles the mouse.
    bool IsSkinned() const;
    QSlider* Slider() const;

    // In the slider's own coordinates.
    int HitTest(const QPoint& point) const;
    // Distance of the thumb's centre from the left edge.
    int ThumbCentre() const;
    QRect ThumbRect() const;
    // 0 normal, 1 pressed, 2 hovered.
    int ThumbState() const { return m_thumbState; }

signals:
    // The slider moved by a click or a drag: code says which way, position is
    // the slider's new position, always inside its range.
    void HScroll(int code, int position);

protected:
    bool WindowProc(QEvent* event) override;

private:
    void Paint();
    void Press(const QPoint& point);
    void Move(const QPoint& point, bool leftDown);
    // Sets the position (the slider clamps it) and tells the dialog.
    void MoveTo(qint64 position, int code);

    bool m_loaded = false;
    CMyBitmap m_image;
    bool m_trans = false;
    ColorRef m_transColor = 0xFF00FF;
    int m_barWidth = 0;
    int m_barHeight = 0;
    int m_pointWidth = 0;
    int m_pointHeight = 0;
    QPoint m_fore{10, 10};
    QPoint m_back{10, 10};
    QPoint m_normal{10, 10};
    QPoint m_over{0, 0};
    QPoint m_down{0, 0};
    int m_hitStep = 5;

    bool m_dragging = false;
    bool m_hover = false;
    QPoint m_press;
    int m_positionAtPress = 0;
    int m_thumbState = 0;
    CSkinPlacement m_placement;
};
