#include "editor/MaskEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct TimeField : testing::Test
{
    TimeField()
    {
        edit.SetMask("88:88:88:88", "__:__:__:__");
        edit.SetMaskedText("00:00:00:00");
        edit.setCursorPosition(0);
        edit.show();
    }
    CMaskEdit edit;
};

TEST_F(TimeField, TypedKeysGoThroughTheMask)
{
    QTest::keyClicks(&edit, "12x34");
    EXPECT_EQ(edit.text(), "12:34:00:00");
    QTest::keyClick(&edit, Qt::Key_Delete);
    // Backspace steps over the fixed ":" and then blanks the "4".
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), "12:3_:00:00");
    EXPECT_EQ(edit.cursorPosition(), 4);
    QTest::keyClick(&edit, Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), "12:3_:00:00") << "word deletion is refused";
}

TEST_F(TimeField, PasteAndCutKeepTheMask)
{
    QApplication::clipboard()->setText("01:02:03:04");
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), "01:02:03:04");

    edit.setSelection(0, 5);
    QTest::keyClick(&edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), "01:02:03:04");
    EXPECT_EQ(QApplication::clipboard()->text(), "01:02");

    QApplication::clipboard()->setText("ab");
    edit.setCursorPosition(0);
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), "01:02:03:04");
}

TEST_F(TimeField, InputMethodTextIsTypedThroughTheMask)
{
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("9五"));
    QApplication::sendEvent(&edit, &commit);
    EXPECT_EQ(edit.text(), "90:00:00:00");
}

TEST_F(TimeField, DropsAreRefused)
{
    QMimeData data;
    data.setText("99:99:99:99");
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&edit, &drop);
    EXPECT_EQ(edit.text(), "00:00:00:00");
    EXPECT_FALSE(edit.acceptDrops());
}

TEST(MaskEdit, WithoutMaskItIsAPlainEdit)
{
    CMaskEdit edit;
    edit.show();
    QTest::keyClicks(&edit, "ab:c");
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), "ab:");
}

} // namespace
