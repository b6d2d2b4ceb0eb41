// The selection and voice-block mouse rules, driven through Qt's events.
#include "tests/support/ClipFixtures.h"
#include "voice/Brevanta.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class BrevantaMouse : public ::testing::Test
{
protected:
    void SetUp() override
    {
        editor.resize(600, 200); // 360000 ms over 598 px: about 602 ms a pixel
        editor.show();
    }
    void Press(int x, int y) { QTest::mousePress(&editor, Qt::LeftButton, {}, QPoint(x, y)); }
    void Move(int x, int y)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, y), editor.mapToGlobal(QPointF(x, y)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&editor, &move);
    }
    void Release(int x, int y) { QTest::mouseRelease(&editor, Qt::LeftButton, {}, QPoint(x, y)); }

    PlayerLog players;
    CBrevanta editor{nullptr, nullptr, nullptr, nullptr, RecordingPlayers(players)};
};

TEST_F(BrevantaMouse, NewSelectionAndClick)
{
    QSignalSpy changed(&editor, &CBrevanta::SELECTION_CHANGED);
    QSignalSpy position(&editor, &CBrevanta::PLAY_POSITION);
    Press(200, 100);
    Move(230, 100);
    Move(250, 100);
    EXPECT_EQ(changed.count(), 2);
    Release(250, 100);
    EXPECT_EQ(changed.count(), 2); // a release tells nothing new
    EXPECT_EQ(position.count(), 1);
    EXPECT_EQ(editor.GetSelectionStart(), 200);
    EXPECT_EQ(editor.GetSelectionEnd(), 250);
    EXPECT_EQ(editor.GetEditCursor(), 200);
    EXPECT_TRUE(editor.IsSelectionMarked());
    EXPECT_EQ(editor.GetPlayEnd(), editor.XToMs(250));

    // A click moves the edit cursor and hides the band; the edges stay.
    Press(400, 100);
    Release(400, 100);
    EXPECT_EQ(editor.GetEditCursor(), 400);
    EXPECT_FALSE(editor.IsSelectionMarked());
    EXPECT_EQ(editor.GetSelectionStart(), 200);
    EXPECT_EQ(editor.GetSelectionEnd(), 250);
}

TEST_F(BrevantaMouse, NewSelectionIsCappedAtFiftySeconds)
{
    Press(100, 100);
    Move(300, 100);
    const int expected = editor.MsToX(editor.XToMs(300) - 50000);
    EXPECT_EQ(editor.GetSelectionStart(), expected);
    Release(300, 100);
    EXPECT_EQ(editor.GetSelectionStart(), expected);
    EXPECT_EQ(editor.GetSelectionEnd(), 300);
    EXPECT_LE(editor.XToMs(300) - editor.XToMs(expected), 50000 + 602);

    Press(500, 100); // to the left: the end follows
    Move(200, 100);
    EXPECT_EQ(editor.GetSelectionEnd(), editor.MsToX(editor.XToMs(200) + 50000));
}

TEST_F(BrevantaMouse, EdgesSwapWhenDraggedAcross)
{
    editor.SetSelectionStart(100);
    editor.SetSelectionEnd(150);
    Press(101, 100);
    EXPECT_EQ(editor.GetDragMode(), CBrevanta::kStartEdge);
    Move(170, 100);
    EXPECT_EQ(editor.GetDragMode(), CBrevanta::kEndEdge);
    EXPECT_EQ(editor.GetSelectionStart(), 150);
    EXPECT_EQ(editor.GetSelectionEnd(), 170);
    Move(120, 100); // back below the new start: swaps again
    EXPECT_EQ(editor.GetDragMode(), CBrevanta::kStartEdge);
    EXPECT_EQ(editor.GetSelectionStart(), 120);
    EXPECT_EQ(editor.GetSelectionEnd(), 150);
    Release(120, 100);
    EXPECT_EQ(editor.GetEditCursor(), 120);
}

TEST_F(BrevantaMouse, HandleBandMovesTheSelectionUpToTheEdges)
{
    editor.SetSelectionStart(100);
    editor.SetSelectionEnd(150);
    Press(125, 8);
    EXPECT_EQ(editor.GetDragMode(), CBrevanta::kMoveSelection);
    Move(145, 8);
    EXPECT_EQ(editor.GetSelectionStart(), 120);
    EXPECT_EQ(editor.GetSelectionEnd(), 170);
    Move(-400, 8); // would pass the left edge: nothing moves
    EXPECT_EQ(editor.GetSelectionStart(), 120);
    Move(1000, 8);
    EXPECT_EQ(editor.GetSelectionEnd(), 170);
    QSignalSpy position(&editor, &CBrevanta::PLAY_POSITION);
    Release(1000, 8);
    EXPECT_EQ(position.count(), 0); // moving the selection keeps the cursor
}

TEST_F(BrevantaMouse, DragsPastBothEdgesClamp)
{
    Press(300, 100);
    Move(-200, 100);
    EXPECT_EQ(editor.GetSelectionStart(), 1);
    EXPECT_EQ(editor.GetSelectionEnd(), editor.MsToX(editor.XToMs(1) + 50000));
    Release(-200, 100);
    EXPECT_EQ(editor.GetEditCursor(), 1);

    editor.SetSelectionStart(560);
    editor.SetSelectionEnd(580);
    Press(580, 100); // end edge
    Move(5000, 100);
    EXPECT_LE(editor.GetSelectionEnd(), 598);
    EXPECT_LE(editor.GetSelectionStart(), editor.GetSelectionEnd());
    Release(5000, 100);
    EXPECT_LE(editor.GetSelectionEnd(), 598);

    editor.SetSelectionStart(10);
    editor.SetSelectionEnd(20);
    Press(10, 100); // start edge to far right, then far left
    Move(5000, 100);
    Move(-5000, 100);
    EXPECT_LE(editor.GetSelectionStart(), editor.GetSelectionEnd());
    EXPECT_GE(editor.GetSelectionStart(), 1);
}

TEST_F(BrevantaMouse, VoiceBlockDragsOnlyWhileStopped)
{
    editor.GetVoice().SetBuffer(std::make_unique<WaveBuffer>(88200 * 30)); // 30 s: 50 px
    editor.SetVoiceBlockX(100);
    const int width = editor.GetVoiceBlockWidth();
    ASSERT_GT(width, 40);
    const int y = editor.height() - 10;
    Press(110, y);
    EXPECT_EQ(editor.GetDragMode(), CBrevanta::kVoiceBlock);
    Move(160, y);
    EXPECT_EQ(editor.GetVoiceBlockX(), 150);
    Move(-100, y); // the block stays inside the window
    EXPECT_EQ(editor.GetVoiceBlockX(), 150);
    Release(-100, y);
    EXPECT_EQ(editor.GetEditCursor(), 1); // untouched by a block drag

    ASSERT_EQ(editor.PlayFromStart(), 1);
    Press(160, y);
    Move(200, y);
    EXPECT_EQ(editor.GetVoiceBlockX(), 150);
    Release(200, y);
}

} // namespace
