#include "skin/MyBitmap.h"
#include "skin/ThemeSize.h"
#include "skin/WidgetRegion.h"

#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

#include <vector>

namespace {

const QColor kRed(255, 0, 0), kGreen(0, 255, 0), kBlue(0, 0, 255), kKey(255, 0, 255);
const QColor kPaper(10, 20, 30); // what the destination holds before drawing
const ColorRef kKeyRef = MakeColorRef(255, 0, 255);

QString Save(const QImage& image, const char* name, const char* format = nullptr)
{
    const QString path = TestEnvironment::Home() + "/" + name;
    EXPECT_TRUE(image.save(path, format)) << name;
    return path;
}

QString SaveBytes(const QByteArray& bytes, const char* name)
{
    const QString path = TestEnvironment::Home() + "/" + name;
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

// Rows of colours into an image.
QImage Pixels(const std::vector<std::vector<QColor>>& rows)
{
    QImage image(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()),
                 QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixelColor(x, y, rows[y][x]);
    return image;
}

void Load(CMyBitmap& bitmap, const QImage& image)
{
    ASSERT_TRUE(bitmap.LoadImage(Save(image, "fixture.png"), 0));
}

QImage Paper(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kPaper);
    return image;
}

QColor At(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y);
}

// --- loading ---------------------------------------------------------------

TEST(MyBitmapTest, LoadsEveryThemeFormat)
{
    const QImage image = Pixels({{kRed, kGreen}, {kBlue, Qt::white}});
    for (const char* format : {"BMP", "PNG", "ICO"}) {
        CMyBitmap bitmap;
        const QString name = QString("f.") + QString(format).toLower();
        ASSERT_TRUE(bitmap.LoadImage(Save(image, name.toLatin1(), format), 0)) << format;
        EXPECT_EQ(bitmap.GetWidth(), 2);
        EXPECT_EQ(bitmap.GetHeight(), 2);
        EXPECT_EQ(bitmap.Image().pixelColor(0, 0), kRed) << format;
        EXPECT_EQ(bitmap.Image().pixelColor(0, 1), kBlue) << format;
    }
    CMyBitmap jpeg;
    QImage big(16, 16, QImage::Format_RGB32);
    big.fill(kBlue);
    ASSERT_TRUE(jpeg.LoadImage(Save(big, "f.jpg", "JPEG"), 0));
    const QColor c = jpeg.Image().pixelColor(8, 8);
    EXPECT_TRUE(c.blue() > 200 && c.red() < 40) << c.name().toStdString();

    // One transparent pixel (GIF89a with a transparent colour index).
    const QByteArray gif = QByteArray::fromHex(
        "47494638396101000100800000ffffff00000021f90401000000002c00000000010001000002024401003b");
    CMyBitmap onBlack;
    ASSERT_TRUE(onBlack.LoadImage(SaveBytes(gif, "t.gif"), 0));
    EXPECT_EQ(onBlack.Image().pixelColor(0, 0), QColor(Qt::black));
    CMyBitmap kept;
    ASSERT_TRUE(kept.LoadImage(SaveBytes(gif, "t.gif"), CEnBitmap::kNoBackground));
    EXPECT_EQ(kept.Image().pixelColor(0, 0).alpha(), 0);
}

TEST(MyBitmapTest, CompositesTransparencyOntoTheBackground)
{
    QImage alpha(2, 1, QImage::Format_ARGB32);
    alpha.setPixelColor(0, 0, QColor(255, 0, 0, 0));
    alpha.setPixelColor(1, 0, QColor(0, 0, 255, 255));
    const QString path = Save(alpha, "alpha.png");
    CMyBitmap black, kept;
    ASSERT_TRUE(black.LoadImage(path, 0));
    EXPECT_EQ(black.Image().pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(black.Image().pixelColor(1, 0), kBlue);
    ASSERT_TRUE(kept.LoadImage(path, CEnBitmap::kNoBackground));
    EXPECT_EQ(kept.Image().pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(kept.Image().pixelColor(1, 0), kBlue);
}

// An 8-bit BMP, 4 x 1, whose palette holds red and blue only, with pixel
// indices 0, 1, 2 and 255.
QByteArray ShortPaletteBmp()
{
    QByteArray bmp = QByteArray::fromHex("424d"
                                         "42000000"
                                         "00000000"
                                         "3e000000" // file header
                                         "28000000"
                                         "04000000"
                                         "01000000"
                                         "0100"
                                         "0800"
                                         "00000000"
                                         "04000000"
                                         "130b0000"
                                         "130b0000"
                                         "02000000"
                                         "02000000"); // 2 colours used
    bmp += QByteArray::fromHex("0000ff00"
                               "ff000000"); // BGRx: red, blue
    bmp += QByteArray::fromHex("000102ff");
    return bmp;
}

TEST(MyBitmapTest, IndicesPastAShortPaletteReadBlack)
{
    const QString path = SaveBytes(ShortPaletteBmp(), "short-palette.bmp");
    for (ColorRef background : {ColorRef(0), MakeColorRef(0, 255, 0), CEnBitmap::kNoBackground}) {
        CMyBitmap bitmap;
        ASSERT_TRUE(bitmap.LoadImage(path, background));
        const QImage& image = bitmap.Image();
        ASSERT_EQ(image.size(), QSize(4, 1));
        EXPECT_EQ(image.format(), QImage::Format_RGB32);
        EXPECT_EQ(At(image, 0, 0), kRed);
        EXPECT_EQ(At(image, 1, 0), kBlue);
        EXPECT_EQ(At(image, 2, 0), QColor(Qt::black));
        EXPECT_EQ(At(image, 3, 0), QColor(Qt::black));
        // Drawn stretched and keyed, as the skinned controls draw it.
        QImage paper = Paper(40, 10);
        QPainter painter(&paper);
        bitmap.StretchDraw(&painter, QRect(0, 0, 40, 10), nullptr);
        bitmap.DrawTrans(&painter, 0, 0, QRect(0, 0, 4, 1), kKeyRef, true);
        painter.end();
        EXPECT_EQ(At(paper, 35, 5), QColor(Qt::black));
    }
}

TEST(MyBitmapTest, RefusesImagesLargerThanAScreen)
{
    QImage strip(kThemeSizeLimit, 1, QImage::Format_RGB32);
    strip.fill(kRed);
    CMyBitmap widest;
    EXPECT_TRUE(widest.LoadImage(Save(strip, "widest.png"), 0));
    for (const QSize size : {QSize(kThemeSizeLimit + 1, 1), QSize(1, kThemeSizeLimit + 1)}) {
        CMyBitmap larger;
        EXPECT_FALSE(larger.LoadImage(Save(QImage(size, QImage::Format_RGB32), "larger.png"), 0))
            << size.width() << "x" << size.height();
    }
    // 66 bytes of run-length BMP that declare 6000 x 6000 pixels: refused
    // before anything is decoded.
    QByteArray rle = ShortPaletteBmp();
    rle.replace(18, 8, QByteArray::fromHex("7017000070170000"));
    rle.replace(30, 4, QByteArray::fromHex("01000000")); // BI_RLE8
    rle.replace(62, 4, QByteArray::fromHex("00010000")); // end of line, end of bitmap
    CMyBitmap huge;
    EXPECT_FALSE(huge.LoadImage(SaveBytes(rle, "huge-rle.bmp"), 0));
    EXPECT_FALSE(huge.IsLoaded());
}

TEST(MyBitmapTest, RefusesWhatIsNotAThemeImageAndKeepsAHeldOne)
{
    CMyBitmap bitmap;
    Load(bitmap, Pixels({{kRed}}));
    const QString other = Save(Pixels({{kBlue, kBlue}}), "other.png");
    EXPECT_FALSE(bitmap.LoadImage(other, 0));
    EXPECT_EQ(bitmap.GetWidth(), 1);
    EXPECT_EQ(bitmap.Image().pixelColor(0, 0), kRed);
    EXPECT_TRUE(bitmap.ReloadImage(other));
    EXPECT_EQ(bitmap.GetWidth(), 2);

    const QString bad[] = {
        TestEnvironment::Home() + "/missing.png",
        TestEnvironment::Home(), // a folder
        SaveBytes("", "empty.png"),
        SaveBytes("not an image at all", "text.png"),
        SaveBytes(QByteArray::fromHex("89504e470d0a1a0a0000"), "cut.png"),
        SaveBytes("P3\n1 1\n255\n255 0 0\n", "red.ppm"), // decodable, but no theme format
    };
    for (const QString& path : bad) {
        CMyBitmap empty;
        EXPECT_FALSE(empty.LoadImage(path, 0)) << path.toStdString();
        EXPECT_FALSE(empty.IsLoaded());
        EXPECT_EQ(empty.GetWidth(), 0);
        QImage paper = Paper(2, 2);
        QPainter painter(&paper);
        EXPECT_TRUE(empty.Draw(&painter, 0, 0));
        painter.end();
        EXPECT_EQ(At(paper, 0, 0), kPaper);
    }
}

// --- drawing -----------------------------------------------------------------

TEST(MyBitmapTest, DrawsExactPixelsWhereAsked)
{
    CMyBitmap bitmap;
    Load(bitmap, Pixels({{kRed, kGreen, kBlue}, {kBlue, kRed, kGreen}}));
    QImage paper = Paper(6, 4);
    QPainter painter(&paper);
    const QRect source(1, 0, 2, 2);
    EXPECT_TRUE(bitmap.Draw(&painter, 2, 1, &source));
    EXPECT_TRUE(bitmap.BlitFrom(&painter, QRect(0, 3, 2, 1), QPoint(1, 1)));
    painter.end();
    EXPECT_EQ(At(paper, 1, 1), kPaper);
    EXPECT_EQ(At(paper, 2, 1), kGreen);
    EXPECT_EQ(At(paper, 3, 1), kBlue);
    EXPECT_EQ(At(paper, 2, 2), kRed);
    EXPECT_EQ(At(paper, 3, 2), kGreen);
    EXPECT_EQ(At(paper, 4, 1), kPaper);
    EXPECT_EQ(At(paper, 0, 3), kRed);
    EXPECT_EQ(At(paper, 1, 3), kGreen);
}

TEST(MyBitmapTest, TransparentDrawLeavesTheKeyColourOut)
{
    CMyBitmap bitmap;
    Load(bitmap, Pixels({{kKey, kRed}, {kBlue, kKey}}));
    QImage paper = Paper(2, 2);
    QPainter painter(&paper);
    painter.setPen(kGreen);
    EXPECT_TRUE(bitmap.DrawTrans(&painter, 0, 0, QRect(0, 0, 2, 2), kKeyRef, true));
    // Text drawn next without setting colours comes out black on white.
    EXPECT_EQ(painter.pen().color(), QColor(Qt::black));
    EXPECT_EQ(painter.background().color(), QColor(Qt::white));
    painter.end();
    EXPECT_EQ(At(paper, 0, 0), kPaper);
    EXPECT_EQ(At(paper, 1, 0), kRed);
    EXPECT_EQ(At(paper, 0, 1), kBlue);
    EXPECT_EQ(At(paper, 1, 1), kPaper);

    QImage opaque = Paper(2, 2);
    QPainter again(&opaque);
    bitmap.DrawTrans(&again, 0, 0, QRect(0, 0, 2, 2), kKeyRef, false);
    again.end();
    EXPECT_EQ(At(opaque, 0, 0), kKey);
}

TEST(MyBitmapTest, StretchesWithoutSmoothing)
{
    CMyBitmap bitmap;
    Load(bitmap, Pixels({{kRed, kBlue}}));
    QImage paper = Paper(8, 3);
    QPainter painter(&paper);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    EXPECT_TRUE(bitmap.StretchDrawWhole(&painter, QRect(0, 0, 8, 3)));
    painter.end();
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(At(paper, x, y), x < 4 ? kRed : kBlue) << x << "," << y;
    }
    EXPECT_FALSE(bitmap.StretchDraw(nullptr, QRect(0, 0, 2, 2)));
}

TEST(MyBitmapTest, HugeDestinationsDrawOnlyWhatShows)
{
    // A destination of 10^10 pixels around a 16 x 16 paper: the middle of the
    // stretch lands on the paper's left column; a 1-pixel tile covers it.
    CMyBitmap bitmap;
    Load(bitmap, Pixels({{kRed, kBlue}}));
    QImage paper = Paper(16, 16);
    QPainter painter(&paper);
    EXPECT_TRUE(bitmap.StretchDraw(&painter, QRect(-50000, -50000, 100000, 100000)));
    EXPECT_EQ(At(paper, 0, 0), kBlue);
    EXPECT_EQ(At(paper, 15, 15), kBlue);
    EXPECT_TRUE(bitmap.StretchDraw(&painter, QRect(-49999, 0, 100000, 100000)));
    EXPECT_EQ(At(paper, 0, 0), kRed);
    EXPECT_EQ(At(paper, 1, 0), kBlue);
    const QRect cell(0, 0, 1, 1);
    painter.setClipRect(QRect(4, 4, 4, 4));
    EXPECT_TRUE(bitmap.TileDraw(&painter, QRect(-50001, -50001, 100000, 100000), cell, 0, false));
    painter.end();
    EXPECT_EQ(At(paper, 5, 5), kRed);
    EXPECT_EQ(At(paper, 12, 12), kBlue) << "outside the clip";
}

TEST(MyBitmapTest, TilesInPiecesCutAtTheEdges)
{
    // A 10 x 1 cell whose first column is red: each piece starts with red.
    std::vector<QColor> row(12, kGreen);
    row[0] = kRed;
    row[10] = row[11] = kBlue; // outside the cell
    CMyBitmap bitmap;
    Load(bitmap, Pixels({row, row}));
    QImage paper = Paper(30, 3);
    QPainter painter(&paper);
    EXPECT_TRUE(bitmap.TileDraw(&painter, QRect(2, 0, 25, 2), QRect(0, 0, 10, 1), 0, false));
    painter.end();
    for (int x = 0; x < 30; ++x) {
        const QColor expected = x < 2 || x >= 27 ? kPaper : (x - 2) % 10 == 0 ? kRed : kGreen;
        EXPECT_EQ(At(paper, x, 0), expected) << x;
        EXPECT_EQ(At(paper, x, 1), expected) << x;
        EXPECT_EQ(At(paper, x, 2), kPaper) << x;
    }

    QImage untouched = Paper(30, 3);
    QPainter none(&untouched);
    bitmap.TileDraw(&none, QRect(0, 0, 30, 3), QRect(0, 0, 0, 1), 0, false);
    bitmap.TileDraw(&none, QRect(0, 0, 30, 3), QRect(0, 0, 10, 0), 0, false);
    none.end();
    EXPECT_EQ(untouched, Paper(30, 3));
}

TEST(MyBitmapTest, TransparentTilesLeaveTheKeyOut)
{
    CMyBitmap bitmap;
    Load(bitmap, Pixels({{kKey, kRed}}));
    QImage paper = Paper(5, 1);
    QPainter painter(&paper);
    bitmap.TileDraw(&painter, QRect(0, 0, 5, 1), QRect(0, 0, 2, 1), kKeyRef, true);
    painter.end();
    const QColor expected[] = {kPaper, kRed, kPaper, kRed, kPaper};
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(At(paper, x, 0), expected[x]) << x;
}

// --- regions -----------------------------------------------------------------

TEST(MyBitmapTest, RegionsHoldEveryPixelThatIsNotTheColour)
{
    const QColor k = kKey, r = kRed;
    struct Case
    {
        const char* name;
        QImage image;
        QRegion region;
    };
    const Case cases[] = {
        {"all key", Pixels({{k, k}, {k, k}}), QRegion()},
        {"no key", Pixels({{r, r, r}, {r, r, r}}), QRegion(0, 0, 3, 2)},
        {"cut corner", Pixels({{k, r, r}, {r, r, r}, {r, r, r}}),
         QRegion(1, 0, 2, 1) + QRegion(0, 1, 3, 2)},
        {"hole", Pixels({{r, r, r}, {r, k, r}}),
         QRegion(0, 0, 3, 1) + QRegion(0, 1, 1, 1) + QRegion(2, 1, 1, 1)},
    };
    for (const Case& c : cases) {
        CMyBitmap bitmap;
        Load(bitmap, c.image);
        const QRegion region = bitmap.CreateRegion(kKeyRef);
        EXPECT_TRUE((region ^ c.region).isEmpty()) << c.name;
        EXPECT_EQ(region.isEmpty(), c.region.isEmpty()) << c.name;
        // Asked again (as on every paint) it gives the same.
        EXPECT_TRUE((bitmap.CreateRegion(kKeyRef) ^ c.region).isEmpty()) << c.name;
    }
    // A red key cuts the red pixels instead; a new image gives a new region.
    CMyBitmap bitmap;
    Load(bitmap, Pixels({{k, r}}));
    EXPECT_TRUE((bitmap.CreateRegion(MakeColorRef(255, 0, 0)) ^ QRegion(0, 0, 1, 1)).isEmpty());
    ASSERT_TRUE(bitmap.ReloadImage(Save(Pixels({{r, k}}), "swapped.png")));
    EXPECT_TRUE((bitmap.CreateRegion(kKeyRef) ^ QRegion(0, 0, 1, 1)).isEmpty());
}

TEST(MyBitmapTest, AnEmptyRegionHidesAndUnhitsTheWidget)
{
    QWidget parent;
    parent.resize(100, 100);
    QWidget* button = new QWidget(&parent);
    button->setGeometry(10, 10, 20, 20);
    parent.show();

    SetWidgetRegion(button, QRegion(0, 0, 5, 5));
    EXPECT_EQ(parent.childAt(12, 12), button);
    EXPECT_EQ(parent.childAt(20, 20), nullptr);

    SetWidgetRegion(button, QRegion());
    EXPECT_FALSE(button->mask().isEmpty()); // Qt would drop an empty mask altogether
    EXPECT_TRUE(button->mask().intersected(button->rect()).isEmpty());
    EXPECT_EQ(parent.childAt(12, 12), nullptr);
    EXPECT_EQ(parent.childAt(20, 20), nullptr);
    EXPECT_TRUE(button->isVisibleTo(&parent));
}

} // namespace
