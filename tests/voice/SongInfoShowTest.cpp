// The song information panel: its lines, the unknown values, and each line's
// rise and stay on a hand-driven clock.
#include "voice/SongInfoShow.h"

#include "tests/support/FakeTicks.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

TEST(SongInfoShow, LinesInOrderWithUnknownValues)
{
    CSongInfoShow info;
    info.SetFileName(QStringLiteral("  song.mp3 "));
    info.SetTitle(QStringLiteral("   "));
    info.SetArtist(QStringLiteral("歌手"));
    info.SetLength(QStringLiteral("03:25"));
    info.SetFormat(QString());
    info.StartScroll();
    EXPECT_TRUE(info.IsShowing());
    EXPECT_EQ(info.GetLines(), QStringList({"文件名：song.mp3", "标题：未知", "艺术家：歌手",
                                            "专辑：未知", "长度：03:25", "格式：未知"}));

    // Reset: the tags go, the file's own lines stay for the next scroll.
    info.Reset();
    EXPECT_FALSE(info.IsShowing());
    EXPECT_FALSE(info.IsTimerOn());
    info.StartScroll();
    EXPECT_EQ(info.GetLines(), QStringList({"文件名：song.mp3", "标题：未知", "艺术家：未知",
                                            "专辑：未知", "长度：03:25", "格式：未知"}));
}

TEST(SongInfoShow, NewPanelListsEmptyFileLines)
{
    CSongInfoShow info;
    info.StartScroll();
    EXPECT_EQ(info.GetLines(),
              QStringList({"", "标题：未知", "艺术家：未知", "专辑：未知", "", ""}));
}

TEST(SongInfoShow, EachLineRisesThenStaysFor401Ticks)
{
    FakeTicks ticks;
    CSongInfoShow info(nullptr, ticks.Source());
    info.resize(200, 40);
    info.StartScroll();
    EXPECT_TRUE(info.IsTimerOn());
    const uint32_t start = ticks.now;
    struct Step
    {
        uint32_t ms; // since the start
        int line;
        int top;
    };
    // The line starts at the bottom edge (40) and rises a pixel per 10 ms to
    // (40 - 12) / 2 = 14, centred; tick 400 is its last, then the next line.
    const Step steps[] = {
        {0, 0, 40},    {9, 0, 40},        {10, 0, 39},       {255, 0, 15},
        {260, 0, 14},  {3000, 0, 14},     {4009, 0, 14},     {4010, 1, 40},
        {4020, 1, 39}, {5 * 4010, 5, 40}, {6 * 4010, 0, 40}, {6 * 4010 + 100, 0, 30},
    };
    for (const Step& s : steps) {
        ticks.now = start + s.ms;
        info.OnTimer();
        EXPECT_EQ(info.GetCurrentLine(), s.line) << s.ms << " ms";
        EXPECT_EQ(info.LineTop(), s.top) << s.ms << " ms";
    }
}

TEST(SongInfoShow, IdleTextAndThemeColour)
{
    CSongInfoShow info;
    info.LoadSkin(QStringLiteral(KELVO_SKIN_DIR "/neostyle/theme.ini"));
    EXPECT_EQ(info.GetTextColor(), MakeColorRef(31, 41, 51));
    info.resize(160, 30);
    QImage paper(160, 30, QImage::Format_RGB32);
    paper.fill(Qt::white);
    info.render(&paper);
    int ink = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 160; ++x)
            ink += paper.pixel(x, y) != qRgb(255, 255, 255);
    EXPECT_GT(ink, 20) << "the program's name is drawn";
}

} // namespace
