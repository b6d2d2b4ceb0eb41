#include "ListTheme.h"

#include "platform/DlgCtrlId.h"
#include "skin/SkinListCtrl.h"
#include "skin/SkinListHeaderCtrl.h"
#include "skin/SkinListHorizontalScrollbar.h"
#include "skin/SkinListVerticleScrollbar.h"
#include "skin/ThemeSize.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QScrollBar>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

using namespace ListTheme;

namespace {

// A dialog holding a list of 20 rows at (10, 10), 200 x 150.
class SkinListCtrlTest : public testing::Test
{
protected:
    void SetUp() override
    {
        dialog = std::make_unique<QWidget>();
        dialog->resize(400, 300);
        list = new QTreeWidget(dialog.get());
        list->setGeometry(10, 10, 200, 150);
        list->setRootIsDecorated(false);
        list->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Size")});
        list->header()->setStretchLastSection(false);
        list->header()->resizeSection(0, 80);
        list->header()->resizeSection(1, 60);
        for (int i = 0; i < 20; ++i)
            new QTreeWidgetItem(list, {QStringLiteral("r%1").arg(i), QString()});
        SetDlgCtrlID(list, 9);
    }

    CSkinListCtrl* Wrap(bool complete = true)
    {
        Write(theme, complete);
        return CSkinListCtrl::Wrap(list, theme.Path());
    }

    QColor At(QPoint point) { return dialog->grab().toImage().pixelColor(point); }
    // A point of the row's background right of its text, in the dialog.
    QPoint RowPoint(int row)
    {
        const QRect rect = list->visualRect(list->model()->index(row, 1));
        return list->viewport()->mapTo(dialog.get(), rect.center());
    }

    ControlTheme theme;
    std::unique_ptr<QWidget> dialog;
    QTreeWidget* list = nullptr;
};

TEST_F(SkinListCtrlTest, DrawsRowsHeaderAndBarsFromTheTheme)
{
    CSkinListCtrl* skin = Wrap();
    ASSERT_NE(skin, nullptr);
    ASSERT_TRUE(skin->Skin().loaded);
    dialog->show();
    const QPoint header = list->header()->viewport()->mapTo(dialog.get(), QPoint(0, 1));
    EXPECT_EQ(At(header + QPoint(40, 0)), kSpan);
    EXPECT_EQ(At(header), kStart);
    EXPECT_EQ(At(header + QPoint(80, 0)), kStart); // the next column's start covers the end
    EXPECT_EQ(At(header + QPoint(140, 0)), kEnd);
    EXPECT_EQ(At(header + QPoint(170, 0)), kSpan);
    EXPECT_EQ(At(RowPoint(1)), kRowBack);
    EXPECT_EQ(list->font().pixelSize(), 12);

    // The vertical bar right of the list: up arrow, then the thumb at the top.
    EXPECT_EQ(skin->VerticalBar()->geometry(), QRect(210, 10, 12, 162));
    EXPECT_EQ(skin->HorizontalBar()->geometry(), QRect(10, 160, 201, 12));
    EXPECT_EQ(At(QPoint(215, 10 + 2 + 6)), kUp);
    EXPECT_EQ(At(QPoint(215, 10 + 13 + 12)), kThumb);
    EXPECT_EQ(At(QPoint(215, 10 + 162 - 2 - 6)), kDown);
    EXPECT_FALSE(list->verticalScrollBar()->isVisible());
}

TEST_F(SkinListCtrlTest, SizesPastAnyScreenAreHeldToIt)
{
    // Sizes no screen shows: the controls stop at the limit, and painting
    // makes only what shows (a stretch of the full size would need gigabytes).
    Write(theme);
    {
        QFile ini(theme.Path());
        ASSERT_TRUE(ini.open(QIODevice::Append));
        ini.write("VerBarWidth=99999\nHorBarHeight=65536\nVerUpArrowHeight=-99999\n"
                  "PosX=0\nPosY=0\nWidth=2147483647\nHeight=99999\n");
    }
    CSkinListCtrl* skin = CSkinListCtrl::Wrap(list, theme.Path());
    ASSERT_NE(skin, nullptr);
    dialog->show();
    EXPECT_EQ(list->geometry(), QRect(0, 0, kThemeSizeLimit, kThemeSizeLimit));
    EXPECT_EQ(skin->VerticalBar()->width(), kThemeSizeLimit);
    EXPECT_EQ(skin->HorizontalBar()->height(), kThemeSizeLimit);
    EXPECT_EQ(At(RowPoint(1)), kRowBack);
    const QImage bar = skin->HorizontalBar()->grab(QRect(0, 0, 300, 200)).toImage();
    EXPECT_EQ(bar.pixelColor(150, 100), kTrack);
}

TEST_F(SkinListCtrlTest, SelectedRowsTakeTheThemeColoursActiveOrNot)
{
    Wrap();
    dialog->show();
    list->setCurrentItem(list->topLevelItem(2));
    EXPECT_TRUE(list->topLevelItem(2)->isSelected());
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    EXPECT_FALSE(dialog->isActiveWindow());
    EXPECT_EQ(At(RowPoint(2)), kSelBack);
    QApplication::setActiveWindow(dialog.get());
    EXPECT_TRUE(dialog->isActiveWindow());
    EXPECT_EQ(At(RowPoint(2)), kSelBack);
    EXPECT_EQ(At(RowPoint(3)), kRowBack);
    // Painting leaves the selection as it was.
    EXPECT_TRUE(list->topLevelItem(2)->isSelected());
}

TEST_F(SkinListCtrlTest, MissingImageKeepsTheStandardLook)
{
    const QPalette before = list->palette();
    CSkinListCtrl* skin = Wrap(false);
    ASSERT_NE(skin, nullptr);
    EXPECT_FALSE(skin->Skin().loaded);
    // Nothing after the missing image was read.
    EXPECT_EQ(skin->Skin().fontSize, 0);
    EXPECT_EQ(skin->VerticalBar(), nullptr);
    EXPECT_EQ(list->palette().color(QPalette::Base), before.color(QPalette::Base));
    EXPECT_EQ(list->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    dialog->show();
    const QPoint header = list->header()->viewport()->mapTo(dialog.get(), QPoint(40, 1));
    EXPECT_NE(At(header), kSpan);
}

TEST_F(SkinListCtrlTest, HeaderLabelsKeepTheirOwnAlignment)
{
    CSkinListCtrl* skin = Wrap();
    struct Case
    {
        Qt::Alignment given;
        Qt::Alignment drawn;
    };
    const Case cases[] = {{Qt::AlignLeft, Qt::AlignLeft},
                          {Qt::AlignRight, Qt::AlignRight},
                          {Qt::AlignHCenter, Qt::AlignHCenter}};
    for (const Case& c : cases) {
        list->headerItem()->setTextAlignment(1, c.given);
        EXPECT_EQ(skin->Header()->LabelAlignment(1) & Qt::AlignHorizontal_Mask, c.drawn);
    }
    const QRect column(list->header()->sectionViewportPosition(1), 0, 60,
                       list->header()->viewport()->height());
    EXPECT_EQ(skin->Header()->LabelRect(1), column.adjusted(2, 2, -2, -2));
}

TEST_F(SkinListCtrlTest, BarsShowAndHideWithTheListAndFollowIt)
{
    // Hidden when its bars are made, or by its dialog afterwards but before
    // the dialog first shows (a list on a page not chosen yet).
    for (const bool hideFirst : {true, false}) {
        auto other = std::make_unique<QWidget>();
        auto* hidden = new QTreeWidget(other.get());
        hidden->setGeometry(10, 10, 200, 150);
        SetDlgCtrlID(hidden, 9);
        if (hideFirst)
            hidden->hide();
        Write(theme);
        CSkinListCtrl* hiddenSkin = CSkinListCtrl::Wrap(hidden, theme.Path());
        ASSERT_NE(hiddenSkin, nullptr);
        hidden->hide();
        other->show();
        EXPECT_FALSE(hiddenSkin->VerticalBar()->isVisible()) << hideFirst;
        EXPECT_FALSE(hiddenSkin->HorizontalBar()->isVisible()) << hideFirst;
        hidden->show();
        EXPECT_TRUE(hiddenSkin->HorizontalBar()->isVisible()) << hideFirst;
    }

    list->hide();
    CSkinListCtrl* skin = Wrap();
    dialog->show();
    EXPECT_FALSE(skin->VerticalBar()->isVisible());
    list->show();
    EXPECT_TRUE(skin->VerticalBar()->isVisible());
    EXPECT_TRUE(skin->HorizontalBar()->isVisible());
    list->move(20, 30);
    EXPECT_EQ(skin->VerticalBar()->pos(), QPoint(220, 30));
    list->hide();
    EXPECT_FALSE(skin->HorizontalBar()->isVisible());

    QPointer<QWidget> bar = skin->VerticalBar();
    delete list;
    EXPECT_TRUE(bar.isNull());
}

TEST_F(SkinListCtrlTest, OnlyPlainListsAreWrapped)
{
    class OwnList : public QTreeWidget
    {
    };
    OwnList own;
    Write(theme);
    EXPECT_EQ(CSkinListCtrl::Wrap(&own, theme.Path()), nullptr);
}

} // namespace
