#include "editor/HorizontalScrollBarEx.h"
#include "editor/VerticalScrollBarEx.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Delivers the bars' queued notices.
void Deliver()
{
    QCoreApplication::processEvents();
}

void FireTimer(CScrollBarEx& bar, const char* name)
{
    auto* timer = bar.findChild<QTimer*>(QString::fromLatin1(name));
    ASSERT_NE(timer, nullptr);
    ASSERT_TRUE(timer->isActive()) << name;
    QMetaObject::invokeMethod(timer, "timeout");
}

bool TimerActive(CScrollBarEx& bar, const char* name)
{
    return bar.findChild<QTimer*>(QString::fromLatin1(name))->isActive();
}

std::unique_ptr<CScrollBarEx> MakeBar(bool horizontal, int length, int thickness)
{
    std::unique_ptr<CScrollBarEx> bar;
    if (horizontal) {
        bar = std::make_unique<CHorizontalScrollBarEx>();
        bar->resize(length, thickness);
    } else {
        bar = std::make_unique<CVerticalScrollBarEx>();
        bar->resize(thickness, length);
    }
    return bar;
}

struct GeometryCase
{
    const char* name;
    bool horizontal;
    int length;    // along the bar, px
    int thickness; // px
    int range;
    int pos;
    int track;
    int thumb;
    int offset;
};

class ScrollBarGeometry : public testing::TestWithParam<GeometryCase>
{
};

TEST_P(ScrollBarGeometry, TrackThumbAndOffset)
{
    const GeometryCase& c = GetParam();
    auto bar = MakeBar(c.horizontal, c.length, c.thickness);
    bar->SetRange(c.range);
    bar->SetPos(c.pos);
    EXPECT_EQ(bar->GetTrackLength(), c.track);
    EXPECT_EQ(bar->GetThumbLength(), c.thumb);
    EXPECT_EQ(bar->GetThumbOffset(), c.offset);
    EXPECT_EQ(bar->GetPos(), c.pos) << "SetPos keeps what it is given";
    // Whatever the size, the thumb stays inside the trough.
    EXPECT_LE(bar->GetThumbOffset() + bar->GetThumbLength(), bar->GetTrackLength());
    EXPECT_GE(bar->GetThumbOffset(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScrollBarGeometry,
    testing::Values(GeometryCase{"Wide", true, 400, 17, 1000, 0, 332, 110, 0},
                    GeometryCase{"WideHalfway", true, 400, 17, 1000, 500, 332, 110, 111},
                    GeometryCase{"RangeBelowTrack", true, 400, 17, 300, 0, 332, 332, 0},
                    GeometryCase{"RangeZero", true, 400, 17, 0, 0, 332, 332, 0},
                    GeometryCase{"ThumbAtLeastThick", true, 400, 17, 1000000, 999983, 332, 17,
                                 314},
                    GeometryCase{"Vertical", false, 400, 17, 1000, 901, 315, 99, 194},
                    GeometryCase{"PosPastRange", true, 400, 17, 1000, 5000, 332, 110, 222},
                    GeometryCase{"TroughThinnerThanThumb", true, 78, 17, 1000, 500, 10, 10, 0},
                    GeometryCase{"NoRoomForTrough", true, 60, 17, 1000, 500, 0, 0, 0},
                    GeometryCase{"NoRoomRangeZero", true, 68, 17, 0, 0, 0, 0, 0},
                    GeometryCase{"VerticalNoRoom", false, 60, 17, 1000, 0, 0, 0, 0}),
    [](const auto& info) { return info.param.name; });

TEST(ScrollBarSteps, PageAndLineStepsClampAndNotify)
{
    CHorizontalScrollBarEx bar;
    bar.resize(400, 17);
    bar.SetRange(1000); // thumb 110, so the last position is 890
    QSignalSpy scrolled(&bar, &CScrollBarEx::scrolled);

    struct Step
    {
        void (CHorizontalScrollBarEx::*step)();
        int pos;
    };
    const Step steps[] = {
        {&CHorizontalScrollBarEx::PageRight, 399}, {&CHorizontalScrollBarEx::PageRight, 798},
        {&CHorizontalScrollBarEx::PageRight, 890}, {&CHorizontalScrollBarEx::LineRight, 890},
        {&CHorizontalScrollBarEx::PageLeft, 491},  {&CHorizontalScrollBarEx::PageLeft, 92},
        {&CHorizontalScrollBarEx::PageLeft, 0},    {&CHorizontalScrollBarEx::LineRight, 40},
        {&CHorizontalScrollBarEx::LineLeft, 0},    {&CHorizontalScrollBarEx::LineLeft, 0},
    };
    int n = 0;
    for (const Step& s : steps) {
        (bar.*s.step)();
        EXPECT_EQ(bar.GetPos(), s.pos) << "step " << n++;
    }
    EXPECT_EQ(bar.GetThumbOffset(), 0);
    EXPECT_EQ(scrolled.count(), 0) << "notices are posted, not sent";
    Deliver();
    EXPECT_EQ(scrolled.count(), 10);

    bar.SetRange(200); // shorter than the thumb: nowhere to go
    bar.PageRight();
    EXPECT_EQ(bar.GetPos(), 0);
    bar.LineRight();
    EXPECT_EQ(bar.GetPos(), 0);

    Deliver();
    scrolled.clear();
    bar.SetPos(10);
    bar.SetRange(1000);
    Deliver();
    EXPECT_EQ(scrolled.count(), 0) << "setting position or range is silent";
}

TEST(ScrollBarSteps, EmptyBarDoesNotPage)
{
    CVerticalScrollBarEx bar;
    bar.resize(0, 0);
    bar.SetRange(1000);
    QSignalSpy scrolled(&bar, &CScrollBarEx::scrolled);
    bar.PageDown();
    bar.PageUp();
    Deliver();
    EXPECT_EQ(bar.GetPos(), 0);
    EXPECT_EQ(scrolled.count(), 0);
}

struct WideBar : testing::Test
{
    WideBar()
    {
        bar.resize(400, 17);
        bar.SetRange(1000);
        bar.show();
    }
    // Cells of a 400 x 17 bar: left arrow 0-16, trough 17-348, right arrow
    // 349-365, zoom in 366-382, zoom out 383-399.
    static QPoint At(int x) { return QPoint(x, 8); }

    CHorizontalScrollBarEx bar;
    QSignalSpy scrolled{&bar, &CScrollBarEx::scrolled};
    QSignalSpy zoomIn{&bar, &CHorizontalScrollBarEx::zoomInRequested};
    QSignalSpy zoomOut{&bar, &CHorizontalScrollBarEx::zoomOutRequested};
};

TEST_F(WideBar, ZoomButtonsAskOncePerReleaseAndNeverRepeat)
{
    bar.SetPos(300);
    const int offset = bar.GetThumbOffset();

    QTest::mousePress(&bar, Qt::LeftButton, {}, At(374));
    EXPECT_FALSE(TimerActive(bar, "repeatDelay"));
    QTest::qWait(350); // held past the arrows' repeat delay
    EXPECT_EQ(zoomIn.count(), 0);
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, At(374));
    Deliver();
    EXPECT_EQ(zoomIn.count(), 1);

    QTest::mouseClick(&bar, Qt::LeftButton, {}, At(390));
    Deliver();
    EXPECT_EQ(zoomIn.count(), 1);
    EXPECT_EQ(zoomOut.count(), 1);
    EXPECT_EQ(scrolled.count(), 0);
    EXPECT_EQ(bar.GetPos(), 300);
    EXPECT_EQ(bar.GetThumbOffset(), offset);
}

TEST_F(WideBar, HeldArrowRepeatsAfterTheDelay)
{
    QTest::mousePress(&bar, Qt::LeftButton, {}, At(357));
    auto* delay = bar.findChild<QTimer*>(QStringLiteral("repeatDelay"));
    auto* repeat = bar.findChild<QTimer*>(QStringLiteral("repeat"));
    EXPECT_TRUE(delay->isActive());
    EXPECT_TRUE(delay->isSingleShot());
    EXPECT_EQ(delay->interval(), 250);
    EXPECT_FALSE(repeat->isActive());
    EXPECT_EQ(bar.GetPos(), 0) << "the press alone does not step";

    FireTimer(bar, "repeatDelay");
    EXPECT_TRUE(repeat->isActive());
    EXPECT_EQ(repeat->interval(), 50);
    EXPECT_EQ(bar.GetPos(), 0);
    for (int i = 0; i < 3; ++i)
        FireTimer(bar, "repeat");
    EXPECT_EQ(bar.GetPos(), 120);

    QTest::mouseRelease(&bar, Qt::LeftButton, {}, At(357));
    EXPECT_EQ(bar.GetPos(), 160) << "the release steps once more";
    EXPECT_FALSE(delay->isActive());
    EXPECT_FALSE(repeat->isActive());
    Deliver();
    EXPECT_EQ(scrolled.count(), 4);

    QTest::mouseClick(&bar, Qt::LeftButton, {}, At(8));
    EXPECT_EQ(bar.GetPos(), 120);
}

TEST_F(WideBar, ReleaseOrHideStopsBothRepeatTimers)
{
    // Released before the delay ran out: the delay timer must not fire later.
    QTest::mousePress(&bar, Qt::LeftButton, {}, At(8));
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, At(8));
    EXPECT_FALSE(TimerActive(bar, "repeatDelay"));
    EXPECT_FALSE(TimerActive(bar, "repeat"));

    bar.SetPos(500);
    QTest::mousePress(&bar, Qt::LeftButton, {}, At(357));
    FireTimer(bar, "repeatDelay");
    bar.hide();
    EXPECT_FALSE(TimerActive(bar, "repeatDelay"));
    EXPECT_FALSE(TimerActive(bar, "repeat"));
    EXPECT_EQ(bar.GetPos(), 500);
}

TEST_F(WideBar, DraggedThumbFollowsAndStopsAtTheEnd)
{
    // The thumb covers 17-126; 111 px of travel is half of the 222 it has.
    QTest::mousePress(&bar, Qt::LeftButton, {}, At(50));
    QTest::mouseMove(&bar, At(161));
    EXPECT_EQ(bar.GetPos(), 500);
    EXPECT_EQ(bar.GetThumbOffset(), 111);

    QTest::mouseMove(&bar, At(1050));
    EXPECT_EQ(bar.GetPos(), 890) << "range - thumb length";
    EXPECT_EQ(bar.GetThumbOffset(), 222);
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, At(1050));
    EXPECT_EQ(bar.GetPos(), 890) << "a dragged thumb's release does not page";
    EXPECT_EQ(bar.GetThumbOffset(), 197) << "the thumb snaps to the position";
    Deliver();
    EXPECT_EQ(scrolled.count(), 2);

    QTest::mousePress(&bar, Qt::LeftButton, {}, At(17 + 197 + 5));
    QTest::mouseMove(&bar, At(-400));
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, At(-400));
    EXPECT_EQ(bar.GetPos(), 0);
}

TEST_F(WideBar, TroughClicksPageTowardsTheClick)
{
    QTest::mouseClick(&bar, Qt::LeftButton, {}, At(200));
    EXPECT_EQ(bar.GetPos(), 399);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, At(20));
    EXPECT_EQ(bar.GetPos(), 0);
}

TEST(VerticalScrollBar, CellsBelowTheDownArrowPageDown)
{
    // A 17 x 400 bar: up 0-16, trough 17-331, down 332-348, plus 349-365,
    // minus 366-382, plain 383-399.
    CVerticalScrollBarEx bar;
    bar.resize(17, 400);
    bar.SetRange(3000);
    bar.show();
    QSignalSpy scrolled(&bar, &CScrollBarEx::scrolled);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(8, 357));
    EXPECT_EQ(bar.GetPos(), 399);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(8, 374));
    EXPECT_EQ(bar.GetPos(), 798);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(8, 391));
    EXPECT_EQ(bar.GetPos(), 1197);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(8, 340));
    EXPECT_EQ(bar.GetPos(), 1237) << "the down arrow steps a line";
    Deliver();
    EXPECT_EQ(scrolled.count(), 4);
}

} // namespace
