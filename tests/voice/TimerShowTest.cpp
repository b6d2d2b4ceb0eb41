// Kelvo's play clock: its text, the digit strip drawn cell by cell, and the
// counting that repaints only when the text changes.
#include "voice/TimerShow.h"

#include "tests/support/FakeTicks.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(TimerShow, TextOfTimes)
{
    const std::pair<uint32_t, const char*> cases[] = {
        {0, "00:00"},       {999, "00:00"},     {59999, "00:59"},    {60000, "01:00"},
        {3599999, "59:59"}, {3600000, "60:00"}, {6000000, "100:00"}, {0xFFFFFFFF, "71582:47"},
    };
    for (const auto& [ms, text] : cases)
        EXPECT_EQ(CTimerShow::FormatTime(ms), QString::fromLatin1(text)) << ms;
    EXPECT_EQ(CTimerShow::CellOf(u'0'), 0);
    EXPECT_EQ(CTimerShow::CellOf(u'9'), 9);
    EXPECT_EQ(CTimerShow::CellOf(u':'), 10);
    EXPECT_EQ(CTimerShow::CellOf(u'-'), 10);
}

// Cell i of the strip is filled with red 20 x i, its left column with the key
// colour.
QString WriteStripTheme(const QTemporaryDir& folder)
{
    QImage strip(12 * 8, 10, QImage::Format_RGB32);
    for (int cell = 0; cell < 12; ++cell)
        for (int x = 0; x < 8; ++x)
            for (int y = 0; y < 10; ++y)
                strip.setPixel(cell * 8 + x, y,
                               x == 0 ? qRgb(255, 0, 255) : qRgb(20 * cell, 0, 0));
    strip.save(folder.filePath("digits.png"));
    const QString theme = folder.filePath("theme.ini");
    QFile file(theme);
    file.open(QIODevice::WriteOnly);
    file.write("[ClockDigitalNumber]\nNumberImage=digits.png\nTrans=1\nTransColor=255 0 255\n"
               "PosX=4\nPosY=6\nWidth=60\nHeight=20\n");
    return theme;
}

TEST(TimerShow, DigitStripCellsByPixel)
{
    QTemporaryDir folder;
    QWidget parent;
    parent.setAutoFillBackground(true);
    parent.setPalette(QPalette(QColor(0, 200, 0)));
    parent.resize(100, 40);
    CTimerShow clock(&parent);
    ASSERT_EQ(clock.LoadSkin(WriteStripTheme(folder)), 1);
    EXPECT_EQ(clock.geometry(), QRect(4, 6, 60, 20));
    clock.SetTime(12 * 60000 + 34 * 1000);
    const QImage shot = parent.grab().toImage();
    EXPECT_EQ(clock.GetText(), QStringLiteral("12:34"));
    // Five cells of 8 px centred in 60 x 20: x from 10, y from 5.
    const int left = 4 + (60 - 5 * 8) / 2;
    const int top = 6 + (20 - 10) / 2;
    const int cells[5] = {1, 2, 10, 3, 4};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(shot.pixel(left + i * 8 + 4, top + 5), qRgb(20 * cells[i], 0, 0)) << i;
        EXPECT_EQ(shot.pixel(left + i * 8, top + 5), qRgb(0, 200, 0)) << "key colour left out";
    }
    EXPECT_EQ(shot.pixel(left - 1, top + 5), qRgb(0, 200, 0));
    EXPECT_EQ(shot.pixel(left + 5 * 8, top + 5), qRgb(0, 200, 0));
}

TEST(TimerShow, PlainTextWithoutAStrip)
{
    CTimerShow clock;
    EXPECT_EQ(clock.LoadSkin(QStringLiteral("/nonexistent/theme.ini")), 0);
    clock.resize(60, 20);
    clock.SetTime(61000);
    QImage paper(60, 20, QImage::Format_RGB32);
    paper.fill(Qt::white);
    clock.render(&paper);
    EXPECT_EQ(clock.GetText(), QStringLiteral("01:01"));
    int dark = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x)
            dark += qGray(paper.pixel(x, y)) < 128;
    EXPECT_GT(dark, 10) << "the text is drawn";

    // A strip that no longer loads leaves the plain text, not an empty clock.
    QTemporaryDir folder;
    ASSERT_EQ(clock.LoadSkin(WriteStripTheme(folder)), 1);
    QFile::remove(folder.filePath("digits.png"));
    EXPECT_EQ(clock.LoadSkin(folder.filePath("theme.ini")), 0);
    EXPECT_FALSE(clock.IsSkinLoaded());
}

struct PaintCounter : QObject
{
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
    int paints = 0;
};

TEST(TimerShow, CountsFromItsStartAndRepaintsOnNewText)
{
    FakeTicks ticks;
    CTimerShow clock(nullptr, ticks.Source());
    clock.resize(60, 20);
    PaintCounter counter;
    clock.installEventFilter(&counter);
    clock.SetTime(59000);
    clock.show();
    QCoreApplication::processEvents();
    clock.Start(59000);
    EXPECT_TRUE(clock.IsTimerOn());
    const int before = counter.paints;
    ticks.now += 500; // 59.5 s: still "00:59"
    clock.OnTimer();
    QCoreApplication::processEvents();
    EXPECT_EQ(clock.GetTime(), 59500u);
    EXPECT_EQ(counter.paints, before);
    ticks.now += 500;
    clock.OnTimer();
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, before + 1);
    EXPECT_EQ(clock.GetText(), QStringLiteral("01:00"));
    clock.Stop();
    ticks.now += 5000;
    clock.OnTimer();
    EXPECT_EQ(clock.GetTime(), 60000u) << "stopped: the time stays";
    EXPECT_FALSE(clock.IsTimerOn());
}

} // namespace
