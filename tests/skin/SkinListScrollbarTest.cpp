#include "ListTheme.h"

#include "tests/support/FakeTicks.h"
#include "tests/support/TestEnvironment.h"

#include "platform/DlgCtrlId.h"
#include "skin/ListCtrlSkin.h"
#include "skin/SkinListCtrl.h"
#include "skin/SkinListHorizontalScrollbar.h"
#include "skin/SkinListVerticleScrollbar.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

using namespace ListTheme;

namespace {

// Vertical bar: caps 2, arrows 12, thumb 24, so the thumb travels from 13 to
// H - 37 + 1. Horizontal: left arrow 12, right arrow 16, thumb 24.
TEST(SkinListScrollbarThumb, SitsByPositionPageAndRangeOverlappingTheArrows)
{
    ControlTheme theme;
    Write(theme);
    ListCtrlSkin skin;
    ASSERT_TRUE(skin.Load(theme.Path(), QStringLiteral("ListCtrl_9")));
    QTreeWidget list; // empty: its own bars keep the range set here
    struct Case
    {
        Qt::Orientation orientation;
        int length;
        int limit;
        int position;
        int thumb; // -1: no thumb
    };
    const Case cases[] = {
        {Qt::Vertical, 100, 10, 0, 13}, // track 50: 5 px a row
        {Qt::Vertical, 100, 10, 5, 38},
        {Qt::Vertical, 100, 10, 10, 63},     // one pixel over the down arrow (86)
        {Qt::Vertical, 100, 3, 1, 29},       // 16.67 px a row, truncated
        {Qt::Vertical, 100, 0, 0, -1},       // nothing to scroll
        {Qt::Vertical, 50, 10, 5, -1},       // no room to move
        {Qt::Horizontal, 100, 200, 100, 36}, // track 50 over 200 px
        {Qt::Horizontal, 100, 200, 200, 61},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CSkinListScrollbar> bar;
        QScrollBar* native;
        if (c.orientation == Qt::Vertical) {
            bar = std::make_unique<CSkinListVerticleScrollbar>();
            bar->resize(12, c.length);
            native = list.verticalScrollBar();
        } else {
            bar = std::make_unique<CSkinListHorizontalScrollbar>();
            bar->resize(c.length, 12);
            native = list.horizontalScrollBar();
        }
        bar->SetSkin(&skin);
        bar->SetList(&list);
        native->setRange(0, c.limit);
        native->setValue(c.position);
        bar->Recompute();
        SCOPED_TRACE(testing::Message() << c.length << " " << c.limit << " " << c.position);
        EXPECT_EQ(bar->HasThumb(), c.thumb >= 0);
        if (c.thumb >= 0) {
            EXPECT_EQ(bar->ThumbPosition(), c.thumb);
        }
        // A click on the track scrolls nothing without a thumb.
        SendMouse(bar.get(), QEvent::MouseButtonPress,
                  c.orientation == Qt::Vertical ? QPoint(6, c.length - 16)
                                                : QPoint(c.length - 18, 6));
        SendMouse(bar.get(), QEvent::MouseButtonRelease,
                  c.orientation == Qt::Vertical ? QPoint(6, c.length - 16)
                                                : QPoint(c.length - 18, 6));
        if (c.thumb < 0) {
            EXPECT_EQ(native->value(), c.position);
        }
        native->setRange(0, 0);
    }
}

// A dialog with a skinned list of 40 rows (list 200 x 150 at 10, 10), its
// bars on a hand clock.
class SkinListScrollbarTest : public testing::Test
{
protected:
    void SetUp() override
    {
        dialog.resize(400, 300);
        list = new QTreeWidget(&dialog);
        list->setGeometry(10, 10, 200, 150);
        list->setRootIsDecorated(false);
        list->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Size")});
        list->header()->resizeSection(0, 300);
        for (int i = 0; i < rows; ++i)
            new QTreeWidgetItem(list, {QStringLiteral("r%1").arg(i), QStringLiteral("1")});
        SetDlgCtrlID(list, 9);
        Write(theme);
        skin = CSkinListCtrl::Wrap(list, theme.Path());
        ASSERT_NE(skin, nullptr);
        dialog.show();
        vertical = skin->VerticalBar();
        horizontal = skin->HorizontalBar();
        vertical->SetClock(ticks.Source());
        horizontal->SetClock(ticks.Source());
        ASSERT_GT(Rows()->maximum(), 0);
    }

    QScrollBar* Rows() const { return list->verticalScrollBar(); }
    void Press(QWidget* bar, QPoint at) { SendMouse(bar, QEvent::MouseButtonPress, at); }
    void Release(QWidget* bar, QPoint at) { SendMouse(bar, QEvent::MouseButtonRelease, at); }
    void Advance(uint32_t ms, CSkinListScrollbar* bar)
    {
        ticks.now += ms;
        bar->Tick();
    }
    int Bottom() const { return vertical->height(); }

    int rows = 40;
    ControlTheme theme;
    QWidget dialog;
    QTreeWidget* list = nullptr;
    CSkinListCtrl* skin = nullptr;
    CSkinListVerticleScrollbar* vertical = nullptr;
    CSkinListHorizontalScrollbar* horizontal = nullptr;
    FakeTicks ticks;
};

TEST_F(SkinListScrollbarTest, TrackClicksPageAndThumbClicksDoNot)
{
    const int page = Rows()->pageStep();
    Press(vertical, QPoint(6, Bottom() - 20));
    Release(vertical, QPoint(6, Bottom() - 20));
    EXPECT_EQ(Rows()->value(), page);
    // The thumb followed the list.
    EXPECT_GT(vertical->ThumbPosition(), 13);
    Press(vertical, QPoint(6, 15));
    Release(vertical, QPoint(6, 15));
    EXPECT_EQ(Rows()->value(), 0);
    const int thumb = vertical->ThumbPosition() + 5;
    Press(vertical, QPoint(6, thumb));
    Release(vertical, QPoint(6, thumb));
    EXPECT_EQ(Rows()->value(), 0);
}

TEST_F(SkinListScrollbarTest, HeldArrowRepeatsAfter250MsThenEvery50Ms)
{
    const QPoint down(6, Bottom() - 2 - 6);
    Press(vertical, down);
    EXPECT_TRUE(vertical->IsRepeating());
    Advance(249, vertical);
    EXPECT_EQ(Rows()->value(), 0);
    Advance(1, vertical); // the repeat starts
    Advance(49, vertical);
    EXPECT_EQ(Rows()->value(), 0);
    Advance(1, vertical);
    EXPECT_EQ(Rows()->value(), 1);
    Advance(50, vertical);
    EXPECT_EQ(Rows()->value(), 2);
    // The release itself scrolls the last line.
    Release(vertical, down);
    EXPECT_EQ(Rows()->value(), 3);
    EXPECT_FALSE(vertical->IsRepeating());
    Advance(500, vertical);
    EXPECT_EQ(Rows()->value(), 3);

    // Up arrow pressed, released over the down arrow: nothing.
    Press(vertical, QPoint(6, 8));
    Release(vertical, down);
    EXPECT_EQ(Rows()->value(), 3);
    Press(vertical, QPoint(6, 8));
    Release(vertical, QPoint(6, 8));
    EXPECT_EQ(Rows()->value(), 2);

    // Hiding stops a held arrow.
    Press(vertical, down);
    vertical->hide();
    EXPECT_FALSE(vertical->IsRepeating());
    Advance(1000, vertical);
    EXPECT_EQ(Rows()->value(), 2);
}

TEST_F(SkinListScrollbarTest, HorizontalArrowsScrollOnReleaseWhateverWasPressed)
{
    QScrollBar* pixels = list->horizontalScrollBar();
    ASSERT_GT(pixels->maximum(), 0);
    const int width = horizontal->width();
    // Right arrow 16 wide: 14 px from the right edge is on it.
    Press(horizontal, QPoint(5, 6));
    Release(horizontal, QPoint(width - 14, 6));
    EXPECT_EQ(pixels->value(), pixels->singleStep());
    Press(horizontal, QPoint(width - 14, 6));
    Release(horizontal, QPoint(5, 6));
    EXPECT_EQ(pixels->value(), 0);
}

TEST_F(SkinListScrollbarTest, DraggingTheThumbScrollsWholeRows)
{
    const double perRow = vertical->PixelsPerUnit();
    ASSERT_GT(perRow, 1.0);
    const int from = vertical->ThumbPosition() + 5;
    Press(vertical, QPoint(6, from));
    SendMouse(vertical, QEvent::MouseMove, QPoint(6, from + int(perRow) - 1));
    EXPECT_EQ(Rows()->value(), 0); // less than a row's worth
    SendMouse(vertical, QEvent::MouseMove, QPoint(6, from + int(perRow * 3) + 1));
    EXPECT_EQ(Rows()->value(), 3);
    SendMouse(vertical, QEvent::MouseMove, QPoint(6, from + 1000));
    EXPECT_EQ(Rows()->value(), Rows()->maximum());
    EXPECT_EQ(vertical->ThumbPosition(), Bottom() - 24 - 14 + 1);
    // No page at the end of a drag.
    Release(vertical, QPoint(6, 20));
    EXPECT_EQ(Rows()->value(), Rows()->maximum());
}

TEST_F(SkinListScrollbarTest, EmptyListShowsNoThumbAndScrollsNothing)
{
    list->clear();
    ASSERT_TRUE(TestEnvironment::WaitFor([this] { return !vertical->HasThumb(); }));
    Press(vertical, QPoint(6, Bottom() - 20));
    SendMouse(vertical, QEvent::MouseMove, QPoint(6, 60));
    Release(vertical, QPoint(6, Bottom() - 20));
    EXPECT_EQ(Rows()->value(), 0);
    const QImage image = vertical->grab().toImage();
    for (int y = 0; y < image.height(); ++y)
        ASSERT_NE(image.pixelColor(6, y), kThumb) << y;
}

} // namespace
