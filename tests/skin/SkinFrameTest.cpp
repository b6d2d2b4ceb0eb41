#include "skin/SkinFrame.h"

#include "tests/skin/FrameTheme.h"

#include <QFontInfo>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

using F = FrameTheme;
using H = SkinFrame;

QImage Framed(const SkinFrame& frame, QSize size, bool active)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    frame.DrawBorders(painter, size, active);
    SkinFrame::Look look;
    look.active = active;
    painter.drawImage(0, 0, frame.Caption(size, look));
    return image;
}

TEST(SkinFrameTest, ReadsTheFrameAndItsDefaults)
{
    FrameTheme theme;
    SkinFrame frame;
    ASSERT_TRUE(frame.Load(theme.Write("a", "UsesTran=0\n")));
    EXPECT_EQ(frame.Margins(), QMargins(F::L, F::T, F::R, F::B));
    EXPECT_EQ(frame.MinimumSize(), QSize(8 + 6 + 30, 40 + 20));
    EXPECT_EQ(frame.TopEnd(), 25);
    EXPECT_FALSE(frame.UsesTran());
    EXPECT_EQ(frame.TitleColour(), 0u);
    EXPECT_EQ(frame.InactiveTitleColour(), MakeColorRef(90, 90, 90));
    EXPECT_EQ(frame.ButtonRect(H::kClose, 200, false), QRect(180, 2, 14, 12));
    EXPECT_EQ(frame.ButtonRect(H::kMinimise, 200, false), QRect(140, 2, 14, 12));

    // "TransColor" counts only with "UsesTran"; "ButtonImgCount" 0 is 1.
    SkinFrame keyed;
    ASSERT_TRUE(keyed.Load(theme.Write("b", "UsesTran=1\nButtonImgCount=0\n", 0)));
    EXPECT_TRUE(keyed.UsesTran());
    EXPECT_EQ(keyed.TransColor(), 0xFF00FFu);
    EXPECT_EQ(keyed.ButtonImageCount(), 1);
    EXPECT_EQ(keyed.ButtonRect(H::kClose, 200, false).width(), 14);
}

TEST(SkinFrameTest, EveryLoadDropsTheOldImagesFirst)
{
    FrameTheme theme;
    SkinFrame frame;
    ASSERT_TRUE(frame.Load(theme.Write("full")));
    ASSERT_TRUE(frame.DialogImage().IsLoaded());
    // While maximised the maximise place is the restore image's (blue 3).
    const QRect max = frame.ButtonRect(H::kMaximise, 200, true);
    SkinFrame::Look look;
    look.maximised = true;
    look.hints = {true, true, true};
    EXPECT_EQ(F::Along(frame.Caption(QSize(200, 100), look).pixel(max.topLeft())), 3);

    const QString bare = theme.Write("bare", QString(), 3, 3);
    QFile::remove(QFileInfo(bare).path() + "/dialog.png");
    ASSERT_TRUE(frame.Load(bare));
    EXPECT_FALSE(frame.DialogImage().IsLoaded());
    // No restore image any more: the maximise image at its own place.
    const QRect plainMax = frame.ButtonRect(H::kMaximise, 200, true);
    EXPECT_NE(plainMax, max);
    EXPECT_EQ(F::Along(frame.Caption(QSize(200, 100), look).pixel(plainMax.topLeft())), 2);

    QFile::remove(QFileInfo(bare).path() + "/left.png");
    EXPECT_FALSE(frame.Load(bare));
    EXPECT_FALSE(frame.IsLoaded());
    const QString noClose = theme.Write("noclose");
    QFile::remove(QFileInfo(noClose).path() + "/close.png");
    EXPECT_FALSE(frame.Load(noClose));
}

// Strips probed by pixel: start, middle tiles and end piece along their
// length, active and inactive halves, at lengths longer and shorter than the
// strip.
TEST(SkinFrameTest, StripsAreDrawnFromTheirPiecesAtAnyLength)
{
    FrameTheme theme;
    CMyBitmap top;
    const QString path = theme.folder.filePath("top.png");
    ASSERT_TRUE(F::Strip(30, 20, true, 5, 5).save(path));
    ASSERT_TRUE(top.LoadImage(path, 0));
    struct Case
    {
        int length;
        int x;
        int piece;
        int along; // source position
    };
    const Case cases[] = {
        {100, 0, F::kStart, 0},    {100, 4, F::kStart, 4},   {100, 5, F::kMiddle, 5},
        {100, 24, F::kMiddle, 24}, {100, 25, F::kMiddle, 5}, {100, 44, F::kMiddle, 24},
        {100, 94, F::kMiddle, 14}, {100, 95, F::kEnd, 25},   {100, 99, F::kEnd, 29},
        {20, 4, F::kStart, 4},     {20, 14, F::kMiddle, 14}, {20, 15, F::kEnd, 25},
        {20, 19, F::kEnd, 29},     {30, 29, F::kEnd, 29},    {31, 25, F::kMiddle, 5},
    };
    for (bool inactive : {false, true}) {
        for (const Case& c : cases) {
            QImage image(120, 10, QImage::Format_RGB32);
            image.fill(Qt::white);
            {
                QPainter painter(&image);
                SkinFrame::DrawStrip(painter, top, true, 10, inactive, 10, c.length, 0, 5, 25);
            }
            const QRgb pixel = image.pixel(10 + c.x, 3);
            EXPECT_EQ(F::Piece(pixel), c.piece) << c.length << " at " << c.x;
            EXPECT_EQ(F::Along(pixel), c.along) << c.length << " at " << c.x;
            EXPECT_EQ(F::HalfOf(pixel), inactive ? F::kInactive : F::kActive);
            // Nothing beyond the length.
            EXPECT_EQ(image.pixel(10 + c.length, 3), qRgb(255, 255, 255)) << c.length;
        }
    }
}

TEST(SkinFrameTest, TheWholeFrameAtSeveralSizes)
{
    FrameTheme theme;
    SkinFrame frame;
    ASSERT_TRUE(frame.Load(theme.Write("a")));
    for (QSize size : {QSize(300, 200), QSize(61, 60), QSize(44, 130)}) {
        for (bool active : {true, false}) {
            const QImage image = Framed(frame, size, active);
            const int w = size.width(), h = size.height();
            const int half = active ? F::kActive : F::kInactive;
            const auto expect = [&](int x, int y, int piece, int along, const char* what) {
                const QRgb pixel = image.pixel(x, y);
                EXPECT_EQ(F::Piece(pixel), piece) << what << " " << w << "x" << h;
                EXPECT_EQ(F::HalfOf(pixel), half) << what << " " << w << "x" << h;
                if (along >= 0) {
                    EXPECT_EQ(F::Along(pixel), along) << what << " " << w << "x" << h;
                }
            };
            // Caption corners are the side strips' start pieces.
            expect(0, 0, F::kStart, 0, "top left corner");
            expect(w - 1, 9, F::kStart, 9, "top right corner");
            expect(F::L, 0, F::kStart, 0, "top start");
            if (w > 40)
                expect(F::L + 5, 0, F::kMiddle, 5, "top middle");
            expect(w - F::R - 1, 0, F::kEnd, 28, "top end");
            // The sides below the caption: middle, then the end piece at the bottom.
            expect(0, 11, F::kStart, 11, "left start");
            expect(1, h - 1, F::kEnd, 39, "left end");
            expect(w - 1, h - 6, F::kEnd, 34, "right end");
            if (h > 50)
                expect(w - 2, 12, F::kMiddle, 12, "right middle");
            expect(F::L, h - 1, F::kStart, 0, "bottom start");
            expect(w - F::R - 1, h - 1, F::kEnd, 29, "bottom end");
            // The client area is left alone.
            EXPECT_EQ(image.pixel(F::L + 1, F::T + 1), qRgb(255, 255, 255));
        }
    }
}

TEST(SkinFrameTest, HitTestTable)
{
    FrameTheme theme;
    SkinFrame frame;
    ASSERT_TRUE(frame.Load(theme.Write("a")));
    const QSize size(200, 150);
    // Configurations: plain, resizable, resizable with both hints, the same
    // maximised, hints without resizing.
    const H::Hints plain{false, false, false}, thick{true, false, false}, all{true, true, true},
        boxes{false, true, true};
    struct Case
    {
        QPoint at;
        int codes[5];
    };
    const int C = H::HTCAPTION, N = H::HTCLIENT;
    const Case cases[] = {
        {{181, 3}, {H::HTCLOSE, H::HTCLOSE, H::HTCLOSE, H::HTCLOSE, H::HTCLOSE}},
        {{141, 6}, {C, C, H::HTMINBUTTON, H::HTMINBUTTON, H::HTMINBUTTON}},
        {{141, 3}, {N, H::HTTOP, H::HTMINBUTTON, H::HTMINBUTTON, H::HTMINBUTTON}},
        {{161, 6}, {C, C, H::HTMAXBUTTON, H::HTMAXBUTTON, H::HTMAXBUTTON}},
        // The maximise place, and while maximised the restore place.
        {{170, 6}, {C, C, H::HTMAXBUTTON, C, H::HTMAXBUTTON}},
        {{156, 6}, {C, C, C, H::HTMAXBUTTON, C}},
        {{5, 6}, {H::HTSYSMENU, H::HTSYSMENU, H::HTSYSMENU, H::HTSYSMENU, H::HTSYSMENU}},
        {{1, 1}, {N, H::HTTOPLEFT, H::HTTOPLEFT, N, N}},
        {{0, 149}, {N, H::HTBOTTOMLEFT, H::HTBOTTOMLEFT, N, N}},
        {{198, 146}, {N, H::HTBOTTOMRIGHT, H::HTBOTTOMRIGHT, N, N}},
        {{2, 70}, {N, H::HTLEFT, H::HTLEFT, N, N}},
        {{197, 70}, {N, H::HTRIGHT, H::HTRIGHT, N, N}},
        {{100, 147}, {N, H::HTBOTTOM, H::HTBOTTOM, N, N}},
        // The top edge is as high as the bottom strip; the caption starts at 5.
        {{100, 3}, {N, H::HTTOP, H::HTTOP, N, N}},
        {{100, 4}, {N, N, N, N, N}},
        {{100, 5}, {C, C, C, C, C}},
        {{100, 9}, {C, C, C, C, C}},
        {{100, 10}, {N, N, N, N, N}},
        {{198, 6}, {N, H::HTTOPRIGHT, H::HTTOPRIGHT, N, N}},
        {{196, 6}, {C, C, C, C, C}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(frame.HitTest(c.at, size, plain, false), c.codes[0])
            << c.at.x() << "," << c.at.y();
        EXPECT_EQ(frame.HitTest(c.at, size, thick, false), c.codes[1])
            << c.at.x() << "," << c.at.y();
        EXPECT_EQ(frame.HitTest(c.at, size, all, false), c.codes[2])
            << c.at.x() << "," << c.at.y();
        EXPECT_EQ(frame.HitTest(c.at, size, all, true), c.codes[3]) << c.at.x() << "," << c.at.y();
        EXPECT_EQ(frame.HitTest(c.at, size, boxes, false), c.codes[4])
            << c.at.x() << "," << c.at.y();
    }

    // Without title buttons nothing is a button.
    SkinFrame bare;
    ASSERT_TRUE(bare.Load(theme.Write("bare", QString(), 3, 0)));
    EXPECT_EQ(bare.HitTest({181, 3}, size, all, false), H::HTTOP);
    EXPECT_EQ(bare.HitTest({161, 6}, size, all, false), C);
}

TEST(SkinFrameTest, TitleButtonCellsAndCaptionText)
{
    FrameTheme theme;
    SkinFrame frame;
    ASSERT_TRUE(frame.Load(theme.Write("a")));
    SkinFrame::Look look;
    look.hints = {true, true, true};
    const QSize size(200, 100);
    const QPoint close(181, 3), max(161, 3), min(141, 3);
    const auto cell = [&](const SkinFrame& f, QPoint at) {
        return qGreen(f.Caption(size, look).pixel(at)) / 60;
    };
    EXPECT_EQ(cell(frame, close), 0);
    look.hover = H::HTCLOSE;
    EXPECT_EQ(cell(frame, close), 2);
    look.pressed = H::HTCLOSE;
    EXPECT_EQ(cell(frame, close), 1);
    EXPECT_EQ(cell(frame, max), 0);
    // Minimise and maximise only with their hints.
    look.hints = {true, false, false};
    EXPECT_EQ(F::Piece(frame.Caption(size, look).pixel(min)), F::kMiddle);
    EXPECT_EQ(F::Piece(frame.Caption(size, look).pixel(max)), F::kMiddle);

    // A one-cell image draws its one cell for every state.
    SkinFrame single;
    ASSERT_TRUE(single.Load(theme.Write("single", QString(), 1)));
    look.hover = H::HTCLOSE;
    look.pressed = 0;
    EXPECT_EQ(single.Caption(size, look).pixel(close), qRgb(250, 0, 1));

    // The caption text: a readable CJK face, cut after a whole word.
    const QFont font = SkinFrame::CaptionFont();
    EXPECT_GE(QFontInfo(font).pixelSize(), 11);
    EXPECT_TRUE(QFontInfo(font).family().contains(QStringLiteral("WenQuanYi")))
        << QFontInfo(font).family().toStdString();
    EXPECT_EQ(frame.TextRect(200), QRect(QPoint(24, 0), QPoint(194, 9)));
    look.title = QStringLiteral("alpha beta gamma delta epsilon zeta eta theta iota kappa");
    look.active = true;
    const QImage captioned = frame.Caption(size, look);
    int inked = 0;
    for (int x = 24; x < 195; ++x)
        for (int y = 0; y < 10; ++y)
            inked += F::Piece(captioned.pixel(x, y)) % 50 != 0 ? 1 : 0;
    EXPECT_GT(inked, 20);
    EXPECT_EQ(SkinFrame::ElideWords(look.title, QFontMetrics(font), 80).right(3),
              QStringLiteral("..."));
    const QString cut = SkinFrame::ElideWords(look.title, QFontMetrics(font), 80);
    EXPECT_TRUE(look.title.startsWith(cut.chopped(3) + ' ')) << cut.toStdString();
    EXPECT_LE(QFontMetrics(font).horizontalAdvance(cut), 80);
    EXPECT_EQ(SkinFrame::ElideWords(QStringLiteral("短"), QFontMetrics(font), 80),
              QStringLiteral("短"));
}

TEST(SkinFrameTest, KeyColourIsCutOutOfTheCaptionOnly)
{
    FrameTheme theme;
    const QString path = theme.Write("keyed", "UsesTran=1\n");
    // Paint the top-left corner of the left strip's active half in the key colour.
    QImage left(QFileInfo(path).path() + "/left.png");
    left.setPixel(0, 0, qRgb(255, 0, 255));
    left.setPixel(1, 0, qRgb(255, 0, 255));
    ASSERT_TRUE(left.save(QFileInfo(path).path() + "/left.png"));
    SkinFrame frame;
    ASSERT_TRUE(frame.Load(path));
    const QRegion region = frame.WindowRegion(QSize(100, 80));
    EXPECT_FALSE(region.contains(QPoint(0, 0)));
    EXPECT_FALSE(region.contains(QPoint(1, 0)));
    EXPECT_TRUE(region.contains(QPoint(2, 0)));
    EXPECT_TRUE(region.contains(QPoint(50, 50)));
    EXPECT_TRUE(region.contains(QPoint(99, 79)));
    SkinFrame opaque;
    ASSERT_TRUE(opaque.Load(theme.Write("plain")));
    EXPECT_EQ(opaque.WindowRegion(QSize(100, 80)), QRegion(0, 0, 100, 80));
}

} // namespace
