#include "editor/DropDownButton.h"
#include "editor/MainFrame.h"
#include "editor/TaskListBox.h"
#include "editor/TaskListDialog.h"
#include "editor/WaveCtrl.h"
#include "tests/support/ClipFixtures.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QCoreApplication>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

namespace {

struct UndoList : testing::Test
{
    UndoList()
    {
        frame.resize(1000, 700);
        frame.show();
        QCoreApplication::processEvents();
        CWaveCtrl* ctrl = frame.WaveCtrl();
        ctrl->AddNewTrack()->AddClip(IndexedClip(44100));
        ctrl->RebuildPlayList();
        // Five edits, each taking 50 ms out somewhere else.
        for (uint32_t at : {100u, 250u, 400u, 550u, 700u}) {
            ctrl->SetSelection(at, at + 50);
            ctrl->DeleteSelection(false);
        }
        frame.UpdateCommands();
    }
    ~UndoList() override { frame.WaveCtrl()->WaitForWorkers(); }

    // The toolbar's undo (0) or redo (1) button.
    CDropDownButton* Button(int which) { return frame.findChildren<CDropDownButton*>().at(which); }
    CTaskListDialog* Open(int which)
    {
        CDropDownButton* button = Button(which);
        QTest::mouseClick(button, Qt::LeftButton, {}, button->ArrowRect().center());
        QCoreApplication::processEvents();
        return frame.TaskList();
    }
    QPoint Row(int row)
    {
        CTaskListBox* box = frame.TaskList()->ListBox();
        return box->visualItemRect(box->item(row)).center();
    }
    void Hover(int row)
    {
        CTaskListBox* box = frame.TaskList()->ListBox();
        QTest::mouseMove(box->viewport(), Row(row));
        // Under a real X server the pointer arrives a little later.
        TestEnvironment::WaitFor([&] { return box->GetHover() == row; }, 2000);
    }
    QList<int> Selected()
    {
        QList<int> rows;
        CTaskListBox* box = frame.TaskList()->ListBox();
        for (int i = 0; i < box->count(); ++i) {
            if (box->item(i)->isSelected())
                rows << i;
        }
        return rows;
    }
    int Clips() { return frame.WaveCtrl()->GetTrack(0)->GetClipCount(); }

    CMainFrame frame;
};

TEST_F(UndoList, HoverCountsAndAClickUndoesThatMany)
{
    ASSERT_EQ(frame.History().GetUndoCount(), 5);
    CTaskListDialog* list = Open(0);
    ASSERT_TRUE(list->isVisible()) << "the arrow opens the list";
    EXPECT_EQ(list->size(), QSize(200, 250));
    EXPECT_EQ(list->pos(), Button(0)->mapToGlobal(Button(0)->rect().bottomLeft()));
    QStringList items;
    for (int i = 0; i < list->ListBox()->count(); ++i)
        items << list->ListBox()->item(i)->text();
    EXPECT_EQ(items, frame.UndoNames()) << "most recent first";
    EXPECT_EQ(list->CountText(), QStringLiteral("选择了1项撤销"));
    EXPECT_EQ(Selected(), QList<int>({0}));

    Hover(3);
    EXPECT_EQ(list->CountText(), QStringLiteral("选择了4项撤销"));
    EXPECT_EQ(Selected(), QList<int>({0, 1, 2, 3}));
    Hover(1);
    EXPECT_EQ(Selected(), QList<int>({0, 1})) << "moving back up deselects";
    Hover(3);
    QTest::mouseClick(list->ListBox()->viewport(), Qt::LeftButton, {}, Row(3));
    EXPECT_FALSE(list->isVisible());
    QCoreApplication::processEvents();
    EXPECT_EQ(frame.History().GetUndoCount(), 1) << "exactly four undone";
    EXPECT_EQ(Clips(), 2) << "only the first cut remains";

    // The redo list counts in its own words and redoes what it says.
    list = Open(1);
    ASSERT_TRUE(list->isVisible());
    EXPECT_EQ(list->ListBox()->count(), 4);
    Hover(1);
    EXPECT_EQ(list->CountText(), QStringLiteral("选择了2项重做"));
    QTest::mouseClick(list->ListBox()->viewport(), Qt::LeftButton, {}, Row(1));
    QCoreApplication::processEvents();
    EXPECT_EQ(frame.History().GetUndoCount(), 3);
    EXPECT_EQ(frame.History().GetRedoCount(), 2);
}

TEST_F(UndoList, AClickOutsideClosesItWithoutAStep)
{
    CTaskListDialog* list = Open(0);
    ASSERT_TRUE(list->isVisible());
    Hover(2);
    // While a pop-up is open the application hands every press to it; one
    // outside its rectangle (here: over the frame's lower right) closes it.
    const QPoint outside = list->mapFromGlobal(frame.mapToGlobal(QPoint(900, 600)));
    ASSERT_FALSE(list->rect().contains(outside));
    QTest::mouseClick(list, Qt::LeftButton, {}, outside);
    QCoreApplication::processEvents();
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(frame.History().GetUndoCount(), 5);
    EXPECT_EQ(frame.History().GetRedoCount(), 0);
}

} // namespace
