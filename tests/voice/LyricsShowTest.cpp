// The lyrics display: what it shows without lyrics, choosing the current line,
// the timer's advance and the slide of the current line.
#include "voice/LyricsShow.h"

#include "tests/support/FakeTicks.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

std::vector<CLyricsParagraph> Paragraphs(std::initializer_list<std::pair<int, const char*>> lines)
{
    std::vector<CLyricsParagraph> out;
    for (const auto& [start, text] : lines)
        out.push_back({start, 0, 0, QString::fromUtf8(text)});
    for (size_t i = 0; i + 1 < out.size(); ++i)
        out[i].duration = out[i + 1].start - out[i].start;
    return out;
}

// Pixels close to colour: text edges are blended with the paper.
int CountColour(const QImage& image, QRgb colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            count += std::abs(qRed(p) - qRed(colour)) + std::abs(qGreen(p) - qGreen(colour)) +
                         std::abs(qBlue(p) - qBlue(colour)) <
                     48;
        }
    return count;
}

QImage Render(CLyricsShow& show)
{
    QImage paper(show.size(), QImage::Format_RGB32);
    paper.fill(Qt::black);
    show.render(&paper);
    return paper;
}

TEST(LyricsShow, WithoutLyricsSaysSo)
{
    CLyricsShow show;
    show.resize(200, 24);
    EXPECT_FALSE(show.LoadLrc(TestEnvironment::Home() + "/missing.lrc"));
    EXPECT_FALSE(show.IsLoaded());
    show.Start(1000);
    EXPECT_FALSE(show.IsPlaying()) << "nothing to follow";
    // The text in the active colour (white by default) on the black paper.
    EXPECT_GT(CountColour(Render(show), qRgb(255, 255, 255)), 20);
}

TEST(LyricsShow, LoadsAFileAndMeasuresItsText)
{
    const QString path = TestEnvironment::Home() + "/song.lrc";
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("[ti:Song]\r\n[00:01.00]first line\r\n[00:03.00]second\r\n");
    file.close();
    CLyricsShow show;
    show.resize(400, 24);
    ASSERT_TRUE(show.LoadLrc(path));
    ASSERT_EQ(show.GetParagraphs().size(), 2u);
    const QFontMetrics metrics(show.GetTextFont());
    EXPECT_EQ(show.GetParagraphs()[0].width, metrics.horizontalAdvance("first line "));
    EXPECT_EQ(show.GetCurrentText(), QStringLiteral("first line "));
    EXPECT_EQ(show.GetNextText(), QStringLiteral("second "));
    show.Clear();
    EXPECT_TRUE(show.GetParagraphs().empty());
    EXPECT_FALSE(show.IsLoaded());
}

TEST(LyricsShow, StartChoosesTheLineAndKeepsItBeforeTheFirst)
{
    CLyricsShow show;
    show.resize(300, 24);
    show.SetParagraphs(Paragraphs({{5000, "a"}, {10000, "b"}, {15000, "c"}}));
    show.Start(1000);
    EXPECT_EQ(show.GetCurrentLine(), 0);
    EXPECT_TRUE(show.IsTimerOn());
    show.StopAt(12000);
    EXPECT_EQ(show.GetCurrentLine(), 1);
    EXPECT_FALSE(show.IsPlaying());
    EXPECT_FALSE(show.IsTimerOn());
    // Before the first line nothing qualifies: the line stays.
    show.Start(1000);
    EXPECT_EQ(show.GetCurrentLine(), 1);
    show.StopAt(99000);
    EXPECT_EQ(show.GetCurrentLine(), 2);
    EXPECT_EQ(show.GetPreviousText(), QStringLiteral("ab"));
    EXPECT_EQ(show.GetNextText(), QString());
}

TEST(LyricsShow, TimerMovesAtMostOneLinePerTick)
{
    FakeTicks ticks;
    CLyricsShow show(nullptr, ticks.Source());
    show.resize(300, 24);
    show.SetParagraphs(Paragraphs({{0, "a "}, {1000, "b "}, {1050, "c "}, {5000, "d "}}));
    show.Start(0);
    ticks.now += 2000;
    show.OnTimer();
    EXPECT_EQ(show.GetElapsed(), 2000);
    EXPECT_EQ(show.GetCurrentLine(), 1);
    // Line b ended at 1050, long before 2000: its progress is held at its width.
    EXPECT_EQ(show.Progress(), show.GetParagraphs()[1].width);
    show.OnTimer();
    EXPECT_EQ(show.GetCurrentLine(), 2);
    EXPECT_EQ(show.Progress(), (2000 - 1050) * show.GetParagraphs()[2].width / 3950);
    show.OnTimer();
    EXPECT_EQ(show.GetCurrentLine(), 2);
    // The last line has no end: it never moves on and never divides by 0.
    ticks.now += 10000;
    show.OnTimer();
    show.OnTimer();
    EXPECT_EQ(show.GetCurrentLine(), 3);
    EXPECT_EQ(show.Progress(), 0);
    Render(show);
}

TEST(LyricsShow, ProgressIsThePartSung)
{
    FakeTicks ticks;
    CLyricsShow show(nullptr, ticks.Source());
    show.resize(300, 24);
    show.SetParagraphs(Paragraphs({{1000, "abcdefgh "}, {3000, "next "}}));
    const int w = show.GetParagraphs()[0].width;
    const std::pair<int, int> cases[] = {
        {0, 0}, {1000, 0}, {2000, w / 2}, {2999, w * 1999 / 2000}};
    for (const auto& [t, progress] : cases) {
        show.StopAt(t);
        EXPECT_EQ(show.Progress(), progress) << t;
    }
}

TEST(LyricsShow, ColoursOfTheLines)
{
    CLyricsShow show;
    show.resize(300, 30);
    // Inactive 0xFFB080 is a colour reference: red 0x80, green 0xB0, blue 0xFF.
    EXPECT_EQ(ColorRefToQColor(show.GetInactiveColor()), QColor(0x80, 0xB0, 0xFF));
    show.SetParagraphs(Paragraphs({{0, "██ "}, {1000, "██ "}, {2000, "██ "}}));
    show.StopAt(1000);
    const QImage shot = Render(show);
    EXPECT_GT(CountColour(shot, qRgb(255, 255, 255)), 10) << "the current line";
    EXPECT_GT(CountColour(shot, qRgb(0x80, 0xB0, 0xFF)), 20) << "the lines around it";

    show.LoadSkin(QStringLiteral(KELVO_SKIN_DIR "/neostyle/theme.ini"));
    EXPECT_EQ(show.GetActiveColor(), MakeColorRef(14, 124, 134));
    EXPECT_EQ(show.GetInactiveColor(), MakeColorRef(123, 135, 148));
}

} // namespace
