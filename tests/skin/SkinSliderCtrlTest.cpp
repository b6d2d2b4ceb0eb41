#include "ControlTheme.h"

#include "platform/DlgCtrlId.h"
#include "skin/SkinSliderCtrl.h"

#include <QSlider>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QColor kBack(10, 20, 30);
const QColor kFore(40, 50, 60);
const QColor kNormal(200, 0, 0);
const QColor kOver(0, 200, 0);
const QColor kDown(0, 0, 200);

// Channel 120 x 14 (back on row 0, fore on row 14), thumbs 14 x 14 on row 28.
class SkinSliderCtrlTest : public testing::Test
{
protected:
    void SetUp() override
    {
        theme.Image("slider.png", 120, 42,
                    {{QRect(0, 0, 120, 14), kBack},
                     {QRect(0, 14, 120, 14), kFore},
                     {QRect(0, 28, 14, 14), kNormal},
                     {QRect(14, 28, 14, 14), kOver},
                     {QRect(28, 28, 14, 14), kDown}});
        theme.Ini("[SliderCtrl_7]\nImage=slider.png\nBarWidth=120\nBarHeight=14\n"
                  "PointWidth=14\nPointHeight=14\nForeX=0\nForeY=14\nBackX=0\nBackY=0\n"
                  "NormalX=0\nNormalY=28\nOverX=14\nOverY=28\nDownX=28\nDownY=28\n");
    }

    CSkinSliderCtrl* Make(int width, int height, Qt::Orientation orientation = Qt::Horizontal)
    {
        slider = std::make_unique<QSlider>(orientation);
        slider->setRange(0, 100);
        slider->setValue(50);
        slider->resize(width, height);
        SetDlgCtrlID(slider.get(), 7);
        CSkinSliderCtrl* skin = CSkinSliderCtrl::Wrap(slider.get());
        EXPECT_TRUE(skin->LoadSkin(theme.Path()));
        QObject::connect(skin, &CSkinSliderCtrl::HScroll, [this](int code, int position) {
            notices.push_back({code, position});
        });
        return skin;
    }

    ControlTheme theme;
    std::unique_ptr<QSlider> slider;
    std::vector<std::pair<int, int>> notices;
};

TEST_F(SkinSliderCtrlTest, ClicksBesideTheThumbStepAndClampAtBothEnds)
{
    struct Case
    {
        int position;
        int x;
        int expected;
        int code;
    };
    // Thumb of a 120-wide slider at 50: x 53..67.
    const Case cases[] = {{50, 5, 45, CSkinSliderCtrl::SB_LINELEFT},
                          {50, 100, 55, CSkinSliderCtrl::SB_LINERIGHT},
                          {2, 0, 0, CSkinSliderCtrl::SB_LINELEFT},
                          {98, 119, 100, CSkinSliderCtrl::SB_LINERIGHT}};
    for (const Case& c : cases) {
        Make(120, 14);
        slider->setValue(c.position);
        SendMouse(slider.get(), QEvent::MouseButtonPress, QPoint(c.x, 7));
        SendMouse(slider.get(), QEvent::MouseButtonRelease, QPoint(c.x, 7));
        EXPECT_EQ(slider->value(), c.expected) << c.position << " " << c.x;
        ASSERT_EQ(notices.size(), 1u);
        EXPECT_EQ(notices[0], std::make_pair(c.code, c.expected));
        notices.clear();
    }
}

TEST_F(SkinSliderCtrlTest, DraggingMovesByTheDistanceOverTheChannelLessTheHeight)
{
    struct Case
    {
        int toX;
        int expected;
        int code;
    };
    // Width 120, height 20: 100 px of channel per range of 100; pressed at 60.
    const Case cases[] = {{70, 60, CSkinSliderCtrl::SB_LINERIGHT},
                          {40, 30, CSkinSliderCtrl::SB_LINELEFT},
                          {61, 51, CSkinSliderCtrl::SB_LINERIGHT},
                          {300, 100, CSkinSliderCtrl::SB_LINERIGHT},
                          {-200, 0, CSkinSliderCtrl::SB_LINELEFT}};
    for (const Case& c : cases) {
        CSkinSliderCtrl* skin = Make(120, 20);
        SendMouse(slider.get(), QEvent::MouseButtonPress, QPoint(60, 10));
        EXPECT_EQ(skin->ThumbState(), 1);
        SendMouse(slider.get(), QEvent::MouseMove, QPoint(c.toX, 10));
        EXPECT_EQ(slider->value(), c.expected) << c.toX;
        ASSERT_EQ(notices.size(), 1u);
        EXPECT_EQ(notices[0], std::make_pair(c.code, c.expected));
        // Back at the press point: no further notice.
        SendMouse(slider.get(), QEvent::MouseMove, QPoint(60, 10));
        EXPECT_EQ(notices.size(), 1u);
        SendMouse(slider.get(), QEvent::MouseButtonRelease, QPoint(60, 10));
        EXPECT_EQ(skin->ThumbState(), 2);
        notices.clear();
    }
}

TEST_F(SkinSliderCtrlTest, DrawsChannelAndThumbStatesFromTheImage)
{
    Make(120, 14);
    // Thumb centre at 60, thumb 53..66.
    EXPECT_EQ(Pixel(slider.get(), QPoint(20, 7)), kFore);
    EXPECT_EQ(Pixel(slider.get(), QPoint(100, 7)), kBack);
    EXPECT_EQ(Pixel(slider.get(), QPoint(60, 7)), kNormal);
    SendMouse(slider.get(), QEvent::MouseMove, QPoint(60, 7), Qt::NoButton);
    EXPECT_EQ(Pixel(slider.get(), QPoint(60, 7)), kOver);
    SendMouse(slider.get(), QEvent::MouseButtonPress, QPoint(60, 7));
    EXPECT_EQ(Pixel(slider.get(), QPoint(60, 7)), kDown);
    EXPECT_EQ(slider->cursor().shape(), Qt::PointingHandCursor);
    SendMouse(slider.get(), QEvent::MouseButtonRelease, QPoint(60, 7));
    EXPECT_EQ(Pixel(slider.get(), QPoint(60, 7)), kOver);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(slider.get(), &leave);
    EXPECT_EQ(Pixel(slider.get(), QPoint(60, 7)), kNormal);
}

TEST_F(SkinSliderCtrlTest, SquareAndEmptyRangeSlidersStayPut)
{
    Make(20, 20);
    SendMouse(slider.get(), QEvent::MouseButtonPress, QPoint(8, 10));
    SendMouse(slider.get(), QEvent::MouseMove, QPoint(15, 10));
    SendMouse(slider.get(), QEvent::MouseButtonRelease, QPoint(15, 10));
    EXPECT_EQ(slider->value(), 50);
    EXPECT_TRUE(notices.empty());

    CSkinSliderCtrl* skin = Make(120, 14);
    slider->setRange(30, 30);
    EXPECT_EQ(skin->ThumbCentre(), 60);
    SendMouse(slider.get(), QEvent::MouseButtonPress, QPoint(5, 7));
    EXPECT_EQ(skin->HitTest(QPoint(5, 7)), CSkinSliderCtrl::kNowhere);
    EXPECT_TRUE(notices.empty());
}

TEST_F(SkinSliderCtrlTest, VerticalSliderKeepsTheStandardLookAndHandling)
{
    CSkinSliderCtrl* skin = Make(14, 120, Qt::Vertical);
    EXPECT_TRUE(skin->IsLoaded());
    EXPECT_FALSE(skin->IsSkinned());
    const QImage image = slider->grab().toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ASSERT_NE(image.pixelColor(x, y), kFore);
    // The standard slider pages towards the click; no skinned notice.
    SendMouse(slider.get(), QEvent::MouseButtonPress, QPoint(7, 115));
    SendMouse(slider.get(), QEvent::MouseButtonRelease, QPoint(7, 115));
    EXPECT_TRUE(notices.empty());
    EXPECT_NE(slider->value(), 50);
}

TEST_F(SkinSliderCtrlTest, WrapsOnlyPlainSlidersWithoutTicks)
{
    class OwnSlider : public QSlider
    {
    };
    OwnSlider own;
    EXPECT_EQ(CSkinSliderCtrl::Wrap(&own), nullptr);
    QSlider ticked;
    ticked.setTickPosition(QSlider::TicksBelow);
    EXPECT_EQ(CSkinSliderCtrl::Wrap(&ticked), nullptr);

    theme.Ini("[SliderCtrl_7]\nImage=missing.png\n");
    slider = std::make_unique<QSlider>(Qt::Horizontal);
    SetDlgCtrlID(slider.get(), 7);
    CSkinSliderCtrl* skin = CSkinSliderCtrl::Wrap(slider.get());
    ASSERT_NE(skin, nullptr);
    EXPECT_FALSE(skin->LoadSkin(theme.Path()));
    EXPECT_FALSE(skin->IsSkinned());
}

} // namespace
