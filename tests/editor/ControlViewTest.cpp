#include "tests/editor/TrackPadFixture.h"

#include "editor/ControlPadContainer.h"
#include "editor/ControlView.h"
#include "editor/HorizontalScrollBarEx.h"
#include "editor/TimerShow.h"
#include "editor/VerticalScrollBarEx.h"
#include "editor/WaveInfoShow.h"

#include <QDir>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

struct ViewWithPads : testing::Test
{
    ViewWithPads()
    {
        view.SetWaveCtrl(&host);
        view.resize(160, 400);
        for (const auto& track : t.tracks)
            view.AddPad(track.get());
        view.show();
    }

    FakeTrackHost host;
    PadTracks t{3, &host};
    CControlView view;
};

TEST_F(ViewWithPads, ClockPadsAndPanelShareTheHeight)
{
    view.resize(160, 600);
    EXPECT_EQ(view.Clock()->geometry(), QRect(0, 0, 160, 50));
    EXPECT_EQ(view.PadContainer()->geometry(), QRect(0, 50, 160, 503));
    EXPECT_EQ(view.findChild<CWaveInfoShow*>()->geometry(), QRect(0, 553, 160, 47));
    EXPECT_EQ(t.Pad(2)->geometry(), QRect(0, 160, 160, 80));

    view.ScrollPads(100);
    EXPECT_EQ(t.Pad(0)->geometry().top(), -100);
    EXPECT_EQ(t.Pad(2)->geometry().top(), 60);

    view.ShowTime(3723450);
    EXPECT_EQ(view.Clock()->GetTime(), 3723450u);
    view.StartTimeClock(0);
    EXPECT_TRUE(view.Clock()->IsCounting());
    view.StopTimeClock();
    EXPECT_FALSE(view.Clock()->IsTimerRunning());
}

// Grabs the widget; with ZUVO_SCREENSHOT_DIR set the picture is kept there to look at.
QImage Save(QWidget& widget, const QString& name)
{
    const QPixmap shot = widget.grab();
    if (qEnvironmentVariableIsSet("ZUVO_SCREENSHOT_DIR"))
        shot.save(qEnvironmentVariable("ZUVO_SCREENSHOT_DIR") + u'/' + name);
    return shot.toImage();
}

// Renders the pane and both scroll bars offscreen for a look at them, and
// checks the colours that carry meaning.
TEST_F(ViewWithPads, RendersPadsClockAndScrollBars)
{
    t.ClickMute(0);
    t.ClickSolo(1);
    t.tracks[2]->SetCurrent(true);
    view.RefreshPads();
    view.ShowTime(3723450);

    const QImage pane = Save(view, QStringLiteral("control-view.png"));
    // Label colours: wine red for tracks 1 and 2, navy for the current track 3.
    EXPECT_EQ(pane.pixelColor(4, 50 + 0 * 80 + 6), QColor(124, 52, 65));
    EXPECT_EQ(pane.pixelColor(4, 50 + 1 * 80 + 6), QColor(124, 52, 65));
    EXPECT_EQ(pane.pixelColor(4, 50 + 2 * 80 + 6), QColor(0, 0, 128));

    CHorizontalScrollBarEx horizontal;
    horizontal.resize(400, 17);
    horizontal.SetRange(1000);
    horizontal.SetPos(300);
    horizontal.show();
    const QImage bar = Save(horizontal, QStringLiteral("hscroll.png"));
    // The thumb (17 + 66 .. 17 + 175) is plain face; the trough around it is patterned.
    const QColor face = bar.pixelColor(17 + 120, 8);
    EXPECT_EQ(bar.pixelColor(17 + 121, 8), face);
    EXPECT_NE(bar.pixelColor(17 + 10, 8), bar.pixelColor(17 + 11, 8));

    QTest::mousePress(&horizontal, Qt::LeftButton, {}, QPoint(357, 8));
    Save(horizontal, QStringLiteral("hscroll-right-arrow-held.png"));
    QTest::mouseRelease(&horizontal, Qt::LeftButton, {}, QPoint(357, 8));

    CVerticalScrollBarEx vertical;
    vertical.resize(17, 300);
    vertical.SetRange(800);
    vertical.SetPos(200);
    vertical.show();
    Save(vertical, QStringLiteral("vscroll.png"));
}

} // namespace
