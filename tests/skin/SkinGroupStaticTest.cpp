#include "platform/DlgCtrlId.h"
#include "skin/SkinGroup.h"
#include "skin/SkinStatic.h"

#include "tests/skin/CellTheme.h"

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace {

const QColor kBorder(0, 128, 0);

// The bounding box of the pixels that differ from the top-right corner's.
QRect Ink(QWidget* widget)
{
    const QImage image = widget->grab().toImage();
    const QColor ground = image.pixelColor(image.width() - 1, 0);
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != ground)
                box |= QRect(x, y, 1, 1);
    return box;
}

TEST(SkinGroupTest, FrameStopsAtTheCaptionAndBoxesWithoutIdNeverMove)
{
    const QString theme = CellTheme::Write("[GroupBox]\nBorderColor=0 128 0\nTextColor=0 0 255\n"
                                           "PosX=0\nPosY=0\n"
                                           "[GroupBox_7]\nBorderColor=9 9 9\nPosX=3\nPosY=4\n");
    QDialog dialog;
    for (int id : {0, -1}) {
        auto* box = new QGroupBox(QStringLiteral("录音设置"), &dialog);
        box->setGeometry(10, 10, 150, 60);
        SetDlgCtrlID(box, id);
        auto& skin = *new CSkinGroup(box); // dies with the box
        ASSERT_TRUE(skin.LoadSkin(theme));
        EXPECT_EQ(box->geometry(), QRect(10, 10, 150, 60)) << id;

        const QImage image = box->grab().toImage();
        const int y = 8;
        const int end = skin.TopLineEnd();
        EXPECT_EQ(end, 9 + QFontMetrics(skin.CaptionFont()).horizontalAdvance(box->title()));
        EXPECT_EQ(image.pixelColor(0, 30), kBorder) << "left line";
        EXPECT_EQ(image.pixelColor(149, 30), kBorder) << "right line";
        EXPECT_EQ(image.pixelColor(70, 59), kBorder) << "bottom line";
        EXPECT_EQ(image.pixelColor(3, y), kBorder) << "top line left of the caption";
        EXPECT_EQ(image.pixelColor(end + 1, y), kBorder) << "top line after the caption";
        EXPECT_NE(image.pixelColor(end - 2, y), kBorder) << "no line through the caption";
        delete box;
    }
    auto* numbered = new QGroupBox(QStringLiteral("x"), &dialog);
    SetDlgCtrlID(numbered, 7);
    CSkinGroup skin(numbered);
    skin.LoadSkin(theme);
    EXPECT_EQ(numbered->pos(), QPoint(3, 4));
}

TEST(SkinStaticTest, AlignmentWrappingAndAmpersands)
{
    QDialog dialog;
    dialog.resize(300, 200);
    const auto make = [&](const QString& text, Qt::Alignment align) {
        auto* label = new QLabel(text, &dialog);
        label->setGeometry(0, 0, 120, 60);
        label->setAlignment(align);
        new CSkinStatic(label);
        return label;
    };
    const QRect centred = Ink(make(QStringLiteral("AB"), Qt::AlignCenter));
    EXPECT_NEAR(centred.center().x(), 60, 2);
    EXPECT_LT(centred.top(), 20) << "drawn from the top, as a static's text is";
    EXPECT_GE(Ink(make(QStringLiteral("AB"), Qt::AlignRight)).right(), 115);
    EXPECT_LE(Ink(make(QStringLiteral("AB"), Qt::AlignLeft)).left(), 3);

    // Without a buddy '&' is shown; with one it marks the mnemonic.
    QLabel* shown = make(QStringLiteral("A&&B&C"), Qt::AlignLeft);
    QLabel* mnemonic = make(QStringLiteral("A&&B&C"), Qt::AlignLeft);
    mnemonic->setBuddy(new QLineEdit(&dialog));
    EXPECT_GT(Ink(shown).width(), Ink(mnemonic).width());

    const QRect wrapped =
        Ink(make(QStringLiteral("many words that cannot fit one line"), Qt::AlignLeft));
    EXPECT_GT(wrapped.height(), QFontMetrics(dialog.font()).height());
}

} // namespace
