#include "platform/DlgCtrlId.h"
#include "skin/SkinMaskEdit.h"

#include "tests/skin/CellTheme.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QInputMethodEvent>
#include <QSet>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QSet<QRgb> Colours(QWidget* widget)
{
    const QImage image = widget->grab().toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y) & 0xFFFFFF);
    return colours;
}

TEST(SkinEditTest, ColoursBorderAndPlacementComeFromTheSection)
{
    const QString theme = CellTheme::Write(
        "[Edit_1015]\nTextColor=0 0 255\nBackGroundColor=255 255 0\nBorderColor=0 128 0\n"
        "DisableColor=255 0 0\n"
        "[Edit_1016]\nPosX=20\nPosY=30\nHeight=25\n");
    QDialog dialog;
    auto* edit = new QLineEdit(QStringLiteral("■■■■"), &dialog);
    edit->setGeometry(5, 5, 80, 22);
    SetDlgCtrlID(edit, 1015);
    auto* skin = new CSkinEdit(edit);
    ASSERT_TRUE(skin->LoadSkin(theme));
    const QImage image = edit->grab().toImage();
    EXPECT_EQ(image.pixelColor(0, 11), QColor(0, 128, 0)) << "border";
    EXPECT_EQ(image.pixelColor(79, 21), QColor(0, 128, 0)) << "border";
    EXPECT_EQ(image.pixelColor(75, 11), QColor(255, 255, 0)) << "background";
    EXPECT_TRUE(Colours(edit).contains(0x0000FFu)) << "text in blue";
    edit->setReadOnly(true);
    EXPECT_TRUE(Colours(edit).contains(0xFF0000u)) << "read-only text in DisableColor, red";
    EXPECT_FALSE(Colours(edit).contains(0x0000FFu));
    EXPECT_EQ(edit->geometry(), QRect(5, 5, 80, 22)) << "no placement keys";

    auto* placed = new QLineEdit(&dialog);
    placed->setGeometry(5, 50, 80, 22);
    SetDlgCtrlID(placed, 1016);
    (new CSkinEdit(placed))->LoadSkin(theme);
    EXPECT_EQ(placed->geometry(), QRect(20, 30, 80, 25));
}

struct MaskCase
{
    const char* name;
    const char* mask;
    const char* initial;
    int caret;
    const char*
        keys; // '\b' backspace, '\x7f' Delete, '\x1b' Insert, 'V' Ctrl+V, 'W' Ctrl+Backspace
    const char* clipboard;
    const char* text;
    int finalCaret;
    int beeps;
};

class MaskEditSequence : public testing::TestWithParam<MaskCase>
{
};

TEST_P(MaskEditSequence, GoesThroughTheMask)
{
    const MaskCase& c = GetParam();
    QLineEdit edit;
    CSkinMaskEdit skin(&edit);
    int beeps = 0;
    skin.SetBeeper([&] { ++beeps; });
    skin.SetMask(c.mask, QStringLiteral("__:__:__"), c.initial, QStringLiteral("00:00:00"));
    QApplication::clipboard()->setText(c.clipboard);
    edit.setCursorPosition(c.caret);
    for (const char* k = c.keys; *k; ++k) {
        switch (*k) {
        case '\b':
            QTest::keyClick(&edit, Qt::Key_Backspace);
            break;
        case '\x7f':
            QTest::keyClick(&edit, Qt::Key_Delete);
            break;
        case '\x1b':
            QTest::keyClick(&edit, Qt::Key_Insert);
            break;
        case 'V':
            QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
            break;
        case 'W':
            QTest::keyClick(&edit, Qt::Key_Backspace, Qt::ControlModifier);
            break;
        default:
            QTest::keyClick(&edit, *k);
            break;
        }
    }
    EXPECT_EQ(edit.text(), QString(c.text));
    EXPECT_EQ(edit.cursorPosition(), c.finalCaret);
    EXPECT_EQ(beeps, c.beeps);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, MaskEditSequence,
    testing::Values(
        MaskCase{"TypingStepsOverTheSeparator", "88:88:88", "00:00:00", 1, "1", "", "01:00:00", 3,
                 0},
        MaskCase{"LetterBeeps", "88:88:88", "00:00:00", 0, "a", "", "00:00:00", 0, 1},
        MaskCase{"PastTheEndBeeps", "88:88:88", "00:00:00", 8, "1", "", "00:00:00", 8, 1},
        MaskCase{"BackspaceWritesThePrompt", "88:88:88", "01:23:00", 4, "\b", "", "01:03:00", 3,
                 0},
        MaskCase{"BackspaceAtStartBeeps", "88:88:88", "01:23:00", 0, "\b", "", "01:23:00", 0, 1},
        MaskCase{"DeleteAndInsertDoNothing", "88:88:88", "01:23:00", 1, "\x7f\x1b", "", "01:23:00",
                 1, 0},
        MaskCase{"OutOfRangeDigitsBeep", "00:00:00", "00:00:00", 0, "5487", "", "47:00:00", 3, 2},
        MaskCase{"PasteFillsTheFields", "88:88:88", "00:00:00", 0, "V", "12:34", "12:34:00", 6, 0},
        MaskCase{"PasteStopsAtARefusal", "88:88:88", "00:00:00", 0, "V", "1x9", "10:00:00", 1, 1},
        MaskCase{"WordDeletionBeeps", "88:88:88", "01:23:00", 5, "W", "", "01:23:00", 5, 1}),
    [](const testing::TestParamInfo<MaskCase>& info) { return std::string(info.param.name); });

TEST(SkinMaskEditTest, CutAndInputMethodGoThroughTheMask)
{
    QLineEdit edit;
    CSkinMaskEdit skin(&edit);
    int beeps = 0;
    skin.SetBeeper([&] { ++beeps; });
    skin.SetMask(QStringLiteral("88:88:88"), QStringLiteral("__:__:__"),
                 QStringLiteral("01:23:45"), QStringLiteral("00:00:00"));
    edit.setSelection(0, 5);
    QTest::keyClick(&edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("01:23:45")) << "cut copies only";
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("01:23"));

    edit.setCursorPosition(3);
    QInputMethodEvent commit(QString(), {});
    commit.setCommitString(QStringLiteral("5x"));
    QCoreApplication::sendEvent(&edit, &commit);
    EXPECT_EQ(edit.text(), QStringLiteral("01:53:45"));
    EXPECT_EQ(beeps, 1);
    EXPECT_FALSE(edit.acceptDrops());
}

} // namespace
