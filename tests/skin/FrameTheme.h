#pragma once

#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

// A small frame theme whose every pixel says where it came from: red is the
// piece (50 start, 100 middle, 150 end), green the half (10 active, 200
// inactive), blue the position along the strip. Title buttons are cells of
// red 250, green 60 x cell and blue 1 close, 2 maximise, 3 restore,
// 4 minimise.
//
//   top 30 x 20 (T 10, pieces 5 | 20 | 5), bottom 30 x 8 (B 4, 4 | 22 | 4),
//   left 8 x 40 (L 4, 12 | 22 | 6), right 6 x 40 (R 3, 12 | 22 | 6),
//   buttons 14 x 12 cells at XCoord 20 (close), 40 (maximise), 45 (restore), 60.
struct FrameTheme
{
    static constexpr int T = 10, L = 4, R = 3, B = 4;
    enum Piece { kStart = 50, kMiddle = 100, kEnd = 150 };
    enum Half { kActive = 10, kInactive = 200 };

    QTemporaryDir folder;

    static QImage Strip(int length, int thickness, bool horizontal, int s, int endPiece)
    {
        QImage image(horizontal ? length : thickness, horizontal ? thickness : length,
                     QImage::Format_RGB32);
        for (int along = 0; along < length; ++along) {
            const int piece = along < s ? kStart : along < length - endPiece ? kMiddle : kEnd;
            for (int across = 0; across < thickness; ++across) {
                const int half = across < thickness / 2 ? kActive : kInactive;
                const QPoint at = horizontal ? QPoint(along, across) : QPoint(across, along);
                image.setPixel(at, qRgb(piece, half, along));
            }
        }
        return image;
    }

    static QImage Button(int code, int cells)
    {
        QImage image(14 * cells, 12, QImage::Format_RGB32);
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y)
                image.setPixel(x, y, qRgb(250, 60 * (x / 14), code));
        return image;
    }

    // Writes the images and a theme file; extra lines go into [Personality].
    // buttons: 4 (close, maximise, minimise, restore), 3 (no restore) or 0.
    QString Write(const QString& name, const QString& extra = QString(), int cells = 3,
                  int buttons = 4)
    {
        const QString dir = folder.filePath(name);
        QDir().mkpath(dir);
        EXPECT_TRUE(Strip(30, 2 * T, true, 5, 5).save(dir + "/top.png"));
        EXPECT_TRUE(Strip(30, 2 * B, true, 4, 4).save(dir + "/bottom.png"));
        EXPECT_TRUE(Strip(40, 2 * L, false, 12, 6).save(dir + "/left.png"));
        EXPECT_TRUE(Strip(40, 2 * R, false, 12, 6).save(dir + "/right.png"));
        const char* names[] = {"close", "maximise", "restore", "minimise"};
        for (int i = 0; i < 4; ++i)
            EXPECT_TRUE(Button(i + 1, std::max(cells, 1)).save(dir + "/" + names[i] + ".png"));
        QImage pattern(8, 8, QImage::Format_RGB32);
        pattern.fill(qRgb(1, 2, 3));
        EXPECT_TRUE(pattern.save(dir + "/dialog.png"));
        QString ini =
            QStringLiteral("[Personality]\nDialogBmp=dialog.png\nTop=top.png\nLeft=left.png\n"
                           "Right=right.png\nBottom=bottom.png\nTopTopHeight=5\nTopBotHeight=5\n"
                           "LeftTopHeight=12\nLeftBotHeight=6\nRightTopHeight=12\n"
                           "RightBotHeight=6\nBottomTopHeight=4\nBottomBotHeight=4\n"
                           "ButtonImgCount=%1\nTextShift=24\nTextShiftVert=0\n")
                .arg(cells);
        ini += QStringLiteral("ButtonCount=%1\n").arg(buttons);
        ini += extra;
        ini +=
            QStringLiteral("\n[Button0]\nButtonImage=close.png\nAction=0\nXCoord=20\nYCoord=2\n"
                           "[Button1]\nButtonImage=maximise.png\nAction=1\nXCoord=40\nYCoord=2\n"
                           "[Button2]\nButtonImage=minimise.png\nAction=2\nXCoord=60\nYCoord=2\n");
        if (buttons == 4)
            ini += QStringLiteral(
                "[Button3]\nButtonImage=restore.png\nAction=1\nXCoord=45\nYCoord=2\n");
        ini += QStringLiteral("[Colours]\nTitleText=0 0 0\nInactiveTitleText=90 90 90\n");
        const QString path = dir + "/theme.ini";
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(ini.toLatin1());
        return path;
    }

    static int Piece(QRgb pixel) { return qRed(pixel); }
    static int HalfOf(QRgb pixel) { return qGreen(pixel); }
    static int Along(QRgb pixel) { return qBlue(pixel); }
};
