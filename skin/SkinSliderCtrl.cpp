#include "skin/SkinSliderCtrl.h"

#include "platform/DlgCtrlId.h"
#include "skin/ProfileFile.h"
#include "skin/SkinHelpers.h"
#include "skin/ThemeSize.h"

#include <QMouseEvent>
#include <QPainter>

#include <typeinfo>

CSkinSliderCtrl* CSkinSliderCtrl::Wrap(QWidget* widget)
{
    auto* slider = qobject_cast<QSlider*>(widget);
    // A slider of a class of the dialog's own is left to that class.
    if (!slider || typeid(*slider) != typeid(QSlider) ||
        slider->tickPosition() != QSlider::NoTicks)
        return nullptr;
    auto* skin = new CSkinSliderCtrl;
    skin->HookWindow(slider);
    slider->setMouseTracking(true);
    return skin;
}

QSlider* CSkinSliderCtrl::Slider() const
{
    return qobject_cast<QSlider*>(Window());
}

bool CSkinSliderCtrl::IsSkinned() const
{
    const QSlider* slider = Slider();
    return m_loaded && slider && slider->orientation() == Qt::Horizontal;
}

bool CSkinSliderCtrl::LoadSkin(const QString& iniPath)
{
    const QString section = QStringLiteral("SliderCtrl_%1").arg(GetDlgCtrlID(Window()));
    m_placement.Load(iniPath, section);
    m_loaded = false;
    const CProfileFile theme = CProfileFile::Load(iniPath);
    const QString image = theme.GetString(section, QStringLiteral("Image"));
    bool ok = !image.isEmpty() && m_image.ReloadImage(ThemeImagePath(iniPath, image));
    if (ok) {
        const auto num = [&](const char* key, int def) {
            return ThemeSize(theme.GetInt(section, QLatin1String(key), def));
        };
        m_trans = num("Trans", 0) != 0;
        m_transColor = ReadProfileColor(theme, section, QStringLiteral("TransColor"), 0xFF00FF);
        m_barWidth = num("BarWidth", 0);
        m_barHeight = num("BarHeight", 0);
        m_pointWidth = num("PointWidth", 0);
        m_pointHeight = num("PointHeight", 0);
        m_fore = QPoint(num("ForeX", 10), num("ForeY", 10));
        m_back = QPoint(num("BackX", 10), num("BackY", 10));
        m_normal = QPoint(num("NormalX", 10), num("NormalY", 10));
        m_over = QPoint(num("OverX", 0), num("OverY", 0));
        m_down = QPoint(num("DownX", 0), num("DownY", 0));
        m_hitStep = num("HitStep", 5);
        m_loaded = true;
    }
    RefreshSkin();
    if (QWidget* window = Window())
        window->update();
    return ok;
}

void CSkinSliderCtrl::RefreshSkin()
{
    m_placement.Apply(Window());
}

int CSkinSliderCtrl::ThumbCentre() const
{
    const QSlider* slider = Slider();
    const int width = slider->width();
    const qint64 range = qint64(slider->maximum()) - slider->minimum();
    if (range == 0)
        return width / 2;
    return int(qint64(width - m_pointWidth) * (slider->value() - slider->minimum()) / range +
               m_pointWidth / 2);
}

QRect CSkinSliderCtrl::ThumbRect() const
{
    return QRect(ThumbCentre() - m_pointWidth / 2, 0, m_pointWidth, m_pointHeight);
}

int CSkinSliderCtrl::HitTest(const QPoint& point) const
{
    const QSlider* slider = Slider();
    const qint64 range = qint64(slider->maximum()) - slider->minimum();
    if (range == 0)
        return kNowhere;
    const int left = int(qint64(slider->width() - m_pointWidth) *
                         (slider->value() - slider->minimum()) / range);
    const int x = point.x();
    const int y = point.y();
    if (left < x && x < left + m_pointWidth && 0 < y && y < slider->height())
        return kOnThumb;
    if (x < left)
        return kLeftOfThumb;
    if (x > left + m_pointWidth)
        return kRightOfThumb;
    return kNowhere;
}

void CSkinSliderCtrl::MoveTo(qint64 position, int code)
{
    QSlider* slider = Slider();
    // The slider holds the position inside its range, and the dialog is told
    // where it ended up rather than where the step pointed.
    slider->setValue(int(qBound(qint64(slider->minimum()), position, qint64(slider->maximum()))));
    emit HScroll(code, slider->value());
}

void CSkinSliderCtrl::Press(const QPoint& point)
{
    QSlider* slider = Slider();
    m_press = point;
    m_positionAtPress = slider->value();
    m_dragging = false;
    const qint64 step = (qint64(slider->maximum()) - slider->minimum()) * m_hitStep / 100;
    switch (HitTest(point)) {
    case kLeftOfThumb:
        MoveTo(qint64(slider->value()) - step, SB_LINELEFT);
        break;
    case kRightOfThumb:
        MoveTo(qint64(slider->value()) + step, SB_LINERIGHT);
        break;
    case kOnThumb:
        m_thumbState = 1;
        m_dragging = true;
        slider->setCursor(Qt::PointingHandCursor);
        break;
    default:
        return;
    }
    slider->update();
}

void CSkinSliderCtrl::Move(const QPoint& point, bool leftDown)
{
    QSlider* slider = Slider();
    if (leftDown && m_dragging) {
        slider->setCursor(Qt::PointingHandCursor);
        if (point.x() == m_press.x())
            return;
        // Pixels along the channel per range; a slider as tall as it is wide
        // has no channel to drag along and stays where it is.
        const qint64 travel = qint64(slider->width()) - slider->height();
        if (travel > 0) {
            const qint64 range = qint64(slider->maximum()) - slider->minimum();
            MoveTo(range * (point.x() - m_press.x()) / travel + m_positionAtPress,
                   point.x() > m_press.x() ? SB_LINERIGHT : SB_LINELEFT);
        }
        m_thumbState = 1;
        slider->update();
        return;
    }
    if (HitTest(point) != kOnThumb) {
        slider->setCursor(Qt::ArrowCursor);
        if (m_thumbState != 0) {
            m_thumbState = 0;
            m_hover = false;
            slider->update();
        }
    } else {
        slider->setCursor(Qt::PointingHandCursor);
        if (m_thumbState == 0) {
            m_thumbState = 2;
            m_hover = true;
            slider->update();
        }
    }
}

void CSkinSliderCtrl::Paint()
{
    QSlider* slider = Slider();
    QPainter painter(slider);
    m_image.DrawTrans(&painter, 0, 0, QRect(m_back, QSize(m_barWidth, m_barHeight)), m_transColor,
                      m_trans);
    m_image.DrawTrans(&painter, 0, 0, QRect(m_fore, QSize(ThumbCentre(), m_barHeight)),
                      m_transColor, m_trans);
    const QPoint source = m_dragging ? m_down : m_hover ? m_over : m_normal;
    m_image.DrawTrans(&painter, ThumbRect().left(), 0,
                      QRect(source, QSize(m_pointWidth, m_pointHeight)), m_transColor, m_trans);
}

bool CSkinSliderCtrl::WindowProc(QEvent* event)
{
    if (!IsSkinned() || !Slider())
        return CSubclassWnd::WindowProc(event);
    switch (event->type()) {
    case QEvent::Paint:
        Paint();
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton)
            Press(mouse->position().toPoint());
        return true;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        Move(mouse->position().toPoint(), mouse->buttons() & Qt::LeftButton);
        return true;
    }
    case QEvent::MouseButtonRelease:
        m_thumbState = 2;
        m_dragging = false;
        Slider()->update();
        return true;
    case QEvent::Leave:
        m_hover = false;
        m_thumbState = 0;
        Slider()->update();
        return true;
    default:
        return CSubclassWnd::WindowProc(event);
    }
}
