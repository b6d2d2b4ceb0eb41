#include "editor/WaveCtrl.h"
#include "tests/support/ClipFixtures.h"
#include "tests/support/FakeTicks.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct Timeline : testing::Test
{
    Timeline()
    {
        ctrl.resize(800, 400);
        ctrl.SetTickSource(ticks.Source());
    }

    // Adds a track holding one clip of the given length at a start.
    CWaveDoc* AddClip(uint32_t startMs, uint32_t lengthMs)
    {
        CAudioTrack* track = ctrl.AddNewTrack();
        auto clip = IndexedClip(lengthMs * 441 / 10, &log, startMs);
        CWaveDoc* raw = clip.get();
        track->AddClip(std::move(clip));
        ctrl.RebuildPlayList();
        return raw;
    }

    FakeTicks ticks;
    PlayerLog log;
    CWaveCtrl ctrl;
};

TEST(WaveCtrlScale, ZoomTables)
{
    const int msPerPixel[] = {500, 250, 100, 50, 20, 10, 5, 2, 2, 1};
    const int labelEvery[] = {50000, 50000, 10000, 10000, 2000, 2000, 500, 400, 200, 200};
    for (int level = 0; level < CWaveCtrl::kZoomLevels; ++level) {
        EXPECT_EQ(CWaveCtrl::MsPerPixel(level), msPerPixel[level]) << level;
        EXPECT_EQ(CWaveCtrl::MsPerTick(level) * 10, labelEvery[level]) << level;
    }
}

TEST(WaveCtrlScale, RulerLabels)
{
    EXPECT_EQ(CWaveCtrl::RulerLabel(0), "00:00:00:00");
    EXPECT_EQ(CWaveCtrl::RulerLabel(62500), "00:01:02:500");
    EXPECT_EQ(CWaveCtrl::RulerLabel(3723040), "01:02:03:40");
}

TEST_F(Timeline, EmptyTimelineGeometry)
{
    EXPECT_EQ(ctrl.GetContentWidth(), 0);
    EXPECT_EQ(ctrl.GetContentHeight(), 210);
    EXPECT_EQ(ctrl.GetRulerRect(), QRect(0, 20, 800, 30));
    EXPECT_EQ(ctrl.GetTrackAreaRect(), QRect(0, 50, 800, 350));
}

TEST_F(Timeline, MappingAndZoomKeepTheLeftEdge)
{
    AddClip(0, 600000); // ten minutes
    ctrl.SetScrollX(300); // level 2: 100 ms per pixel, left edge at 30 s
    EXPECT_EQ(ctrl.XToMs(10), 31000);
    EXPECT_EQ(ctrl.MsToX(31000), 10);
    for (int i = 0; i < 7; ++i) {
        ctrl.Zoom(true);
        EXPECT_EQ(ctrl.XToMs(0), 30000) << "level " << ctrl.GetZoomLevel();
    }
    ctrl.Zoom(true);
    EXPECT_EQ(ctrl.GetZoomLevel(), 9) << "the finest level stays";
    // Levels 7 and 8 place the same time at the same pixel.
    ctrl.SetZoomLevel(7);
    const int64_t at7 = ctrl.MsToX(45678);
    ctrl.SetZoomLevel(8);
    EXPECT_EQ(ctrl.MsToX(45678), at7);
}

TEST_F(Timeline, ZoomingOutMovesTheViewBackToTheContentEnd)
{
    AddClip(0, 100000); // 100 s: 1000 px at level 2
    ctrl.SetZoomLevel(3); // 2000 px of content
    ctrl.SetScrollX(1200);
    ctrl.Zoom(false); // back to 1000 px: the end meets the right edge
    EXPECT_EQ(ctrl.GetScrollX(), 200);
    ctrl.Zoom(false); // 200 px of content, narrower than the window
    EXPECT_EQ(ctrl.GetScrollX(), 0);
}

TEST_F(Timeline, ClipsStartWhenTheClockReachesThem)
{
    CWaveDoc* late = AddClip(10000, 1000);
    CWaveDoc* early = AddClip(0, 20000);
    QSignalSpy started(&ctrl, &CWaveCtrl::playStarted);
    ctrl.PlayFromStart();
    EXPECT_EQ(started.count(), 1);
    EXPECT_EQ(log.plays, 0) << "players start on the first tick";

    ticks.now += 5;
    ctrl.TickPlayClock();
    EXPECT_TRUE(early->IsPlaying());
    EXPECT_EQ(log.readPositionAtPlay, early->MsToBytes(5));
    EXPECT_FALSE(late->IsPlaying());

    ticks.now += 10000;
    ctrl.TickPlayClock();
    EXPECT_TRUE(late->IsPlaying());
    EXPECT_EQ(log.readPositionAtPlay, late->MsToBytes(5));
    EXPECT_EQ(ctrl.PlayList().front(), late) << "latest start first";

    ticks.now += 10000; // 20005 ms: past the project's end
    QSignalSpy stopped(&ctrl, &CWaveCtrl::playStopped);
    ctrl.TickPlayClock();
    EXPECT_FALSE(ctrl.IsPlaying());
    EXPECT_EQ(stopped.count(), 1);
    EXPECT_FALSE(early->IsPlaying());
}

TEST_F(Timeline, LoopRestartsAtTheSelectionEnd)
{
    CWaveDoc* clip = AddClip(0, 20000);
    ctrl.SetLoopOption(true);
    ctrl.SetSelection(2000, 3000);
    ctrl.Play();
    EXPECT_TRUE(ctrl.GetLoopRun());
    ticks.now += 10;
    ctrl.TickPlayClock();
    EXPECT_EQ(log.readPositionAtPlay, clip->MsToBytes(2010));

    ticks.now += 1000; // 3010 ms
    ctrl.TickPlayClock();
    EXPECT_TRUE(ctrl.IsPlaying());
    EXPECT_FALSE(clip->IsPlaying()) << "every player restarts from the selection start";
    EXPECT_EQ(ctrl.PlaybackTime(), 2000u);
    ticks.now += 1;
    ctrl.TickPlayClock();
    EXPECT_EQ(log.readPositionAtPlay, clip->MsToBytes(2001));
}

TEST_F(Timeline, LoopWithoutSelectionPlaysFromTheCursorToTheEnd)
{
    AddClip(0, 5000);
    ctrl.SetLoopOption(true);
    ctrl.SetEditCursor(4000);
    ctrl.Play();
    EXPECT_FALSE(ctrl.GetLoopRun());
    ticks.now += 1000;
    ctrl.TickPlayClock();
    EXPECT_FALSE(ctrl.IsPlaying());
}

TEST_F(Timeline, PauseKeepsThePlaceAndTheView)
{
    AddClip(0, 60000);
    ctrl.SetScrollX(40);
    ctrl.PlayFromStart();
    ticks.now += 12300;
    ctrl.TickPlayClock();
    ctrl.Pause();
    EXPECT_EQ(ctrl.GetEditCursor(), 12300u);
    EXPECT_EQ(ctrl.GetScrollX(), 40);
    ctrl.Play();
    EXPECT_EQ(ctrl.PlaybackTime(), 12300u);
}

TEST_F(Timeline, PauseWhileStoppedChangesNothing)
{
    AddClip(0, 60000);
    ctrl.SetEditCursor(5000);
    ctrl.SetScrollX(40);
    ctrl.PlayFromStart();
    ticks.now += 2000;
    ctrl.StopPlayback();
    ticks.now += 30000; // long after the stop
    QSignalSpy stopped(&ctrl, &CWaveCtrl::playStopped);
    ctrl.SetScrollX(90);
    ctrl.Pause();
    EXPECT_EQ(ctrl.GetEditCursor(), 5000u);
    EXPECT_EQ(ctrl.GetScrollX(), 90);
    EXPECT_EQ(stopped.count(), 0);
}

TEST_F(Timeline, FollowAsksForTheNextPageAtTheRightEdge)
{
    AddClip(0, 200000);
    QSignalSpy page(&ctrl, &CWaveCtrl::playPageEnd);
    ctrl.PlayFromStart();
    ticks.now += 79000; // column 790
    ctrl.TickPlayClock();
    EXPECT_EQ(page.count(), 0);
    ticks.now += 1000; // column 800, past the area's last pixel
    ctrl.TickPlayClock();
    EXPECT_EQ(page.count(), 1);
}

// Mouse gestures, at level 2 (100 ms per pixel).
TEST_F(Timeline, DraggingInTheRulerSelectsAndMovesTheCursor)
{
    ctrl.show();
    QTest::mousePress(&ctrl, Qt::LeftButton, {}, QPoint(100, 30));
    QTest::mouseMove(&ctrl, QPoint(50, 30));
    QTest::mouseRelease(&ctrl, Qt::LeftButton, {}, QPoint(50, 30));
    EXPECT_EQ(ctrl.GetSelectionStart(), 5000u);
    EXPECT_EQ(ctrl.GetSelectionEnd(), 10000u);
    EXPECT_EQ(ctrl.GetEditCursor(), 5000u);

    // A click moves the cursor and unshades the selection, keeping it.
    QTest::mouseClick(&ctrl, Qt::LeftButton, {}, QPoint(300, 30));
    EXPECT_EQ(ctrl.GetEditCursor(), 30000u);
    EXPECT_EQ(ctrl.GetSelectionEnd(), 10000u);
    EXPECT_FALSE(ctrl.IsSelectionShaded());
}

TEST_F(Timeline, TheSelectionBandMovesTheWholeSelection)
{
    ctrl.show();
    ctrl.SetSelection(10000, 20000);
    ASSERT_EQ(ctrl.HitTest(150, 12), CWaveCtrl::ZoneSelectionBand);
    QTest::mousePress(&ctrl, Qt::LeftButton, {}, QPoint(150, 12));
    QTest::mouseMove(&ctrl, QPoint(170, 12));
    QTest::mouseRelease(&ctrl, Qt::LeftButton, {}, QPoint(170, 12));
    EXPECT_EQ(ctrl.GetSelectionStart(), 12000u);
    EXPECT_EQ(ctrl.GetSelectionEnd(), 22000u);
}

TEST_F(Timeline, DraggingAnEdgePastTheOtherSwapsRoles)
{
    ctrl.show();
    ctrl.SetSelection(10000, 20000);
    ASSERT_EQ(ctrl.HitTest(101, 300), CWaveCtrl::ZoneSelStart) << "edges grab at any height";
    QTest::mousePress(&ctrl, Qt::LeftButton, {}, QPoint(100, 300));
    QTest::mouseMove(&ctrl, QPoint(250, 300));
    EXPECT_EQ(ctrl.GetSelectionStart(), 20000u);
    EXPECT_EQ(ctrl.GetSelectionEnd(), 25000u);
    EXPECT_EQ(ctrl.GetGestureZone(), CWaveCtrl::ZoneSelEnd);
    QTest::mouseMove(&ctrl, QPoint(50, 300));
    EXPECT_EQ(ctrl.GetSelectionStart(), 5000u);
    EXPECT_EQ(ctrl.GetSelectionEnd(), 20000u);
    QTest::mouseRelease(&ctrl, Qt::LeftButton, {}, QPoint(50, 300));
    EXPECT_EQ(ctrl.GetEditCursor(), 5000u);
}

TEST_F(Timeline, DragsBeyondTheWindowKeepTheSelectionOrdered)
{
    ctrl.show();
    ctrl.SetSelection(10000, 20000);
    QTest::mousePress(&ctrl, Qt::LeftButton, {}, QPoint(200, 300)); // end edge
    QTest::mouseMove(&ctrl, QPoint(5000, 300));
    EXPECT_LE(ctrl.GetSelectionStart(), ctrl.GetSelectionEnd());
    EXPECT_EQ(ctrl.GetSelectionEnd(), 80000u) << "clamped to the right edge";
    QTest::mouseMove(&ctrl, QPoint(-5000, 300));
    EXPECT_LE(ctrl.GetSelectionStart(), ctrl.GetSelectionEnd());
    EXPECT_EQ(ctrl.GetSelectionStart(), 0u);
    EXPECT_EQ(ctrl.GetSelectionEnd(), 10000u);
    QTest::mouseRelease(&ctrl, Qt::LeftButton, {}, QPoint(-5000, 300));
    EXPECT_LE(ctrl.GetSelectionStart(), ctrl.GetSelectionEnd());
}

TEST_F(Timeline, DraggingAClipLeftStopsAtZero)
{
    ctrl.show();
    CWaveDoc* clip = AddClip(3000, 5000);
    QSignalSpy moved(&ctrl, &CWaveCtrl::clipMoved);
    QTest::mousePress(&ctrl, Qt::LeftButton, {}, QPoint(50, 90));
    EXPECT_TRUE(clip->IsSelected());
    QTest::mouseMove(&ctrl, QPoint(0, 90));
    QTest::mouseRelease(&ctrl, Qt::LeftButton, {}, QPoint(0, 90));
    EXPECT_EQ(clip->GetStart(), 0u);
    EXPECT_GE(moved.count(), 1);
    EXPECT_EQ(ctrl.GetTrack(0), clip->GetOwnerTrack());
}

} // namespace

namespace {

TEST_F(Timeline, PaintsRulerSelectionAndTracks)
{
    AddClip(0, 30000);
    AddClip(12000, 20000);
    AddClip(40000, 10000)->GetOwnerTrack()->SetMute(true);
    ctrl.SelectTrack(ctrl.GetTrack(1));
    ctrl.SetSelection(5000, 25000);
    ctrl.SetEditCursor(35000);
    const QImage image = ctrl.grab().toImage();
    if (qEnvironmentVariableIsSet("ZUVO_SCREENSHOT_DIR"))
        image.save(qEnvironmentVariable("ZUVO_SCREENSHOT_DIR") + "/timeline.png");
    EXPECT_EQ(image.pixelColor(150, 12), QColor(0, 0, 0x80)) << "selection band is navy";
    EXPECT_EQ(image.pixelColor(240, 12), QColor(0, 0, 0x80));
    EXPECT_EQ(image.pixelColor(2, 12), ctrl.palette().color(QPalette::Button).toRgb())
        << "no triangle at 0 while a selection is shown";
    // Clips of the current track are drawn in blue, the others in red.
    const QColor current = image.pixelColor(200, 185);
    const QColor other = image.pixelColor(100, 120);
    EXPECT_GT(current.blue(), current.red() + 40);
    EXPECT_GT(other.red(), other.blue() + 20);
}

} // namespace
