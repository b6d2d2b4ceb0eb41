#include "platform/MaskModel.h"

#include <gtest/gtest.h>

namespace {

constexpr char kTimeMask[] = "88:88:88:88";
constexpr char kTimeLiteral[] = "__:__:__:__";

struct KeyCase
{
    const char* name;
    const char* mask;
    const char* literal;
    bool dateMode;
    const char* initial;
    int caret;
    const char* keys; // '\b' is backspace
    const char* text;
    int finalCaret;
    int beeps;
};

class MaskKeys : public testing::TestWithParam<KeyCase>
{
};

TEST_P(MaskKeys, TypingFollowsTheMask)
{
    const KeyCase& c = GetParam();
    MaskModel model;
    model.SetMask(c.mask, c.literal);
    model.SetDateMode(c.dateMode);
    model.SetText(c.initial);
    model.SetSelection(c.caret, c.caret);
    int beeps = 0;
    for (const char* k = c.keys; *k; ++k) {
        bool beep = false;
        if (*k == '\b')
            model.Backspace(&beep);
        else
            model.TypeChar(QChar::fromLatin1(*k), &beep);
        beeps += beep;
    }
    EXPECT_EQ(model.Text(), QString(c.text));
    EXPECT_EQ(model.Caret(), c.finalCaret);
    EXPECT_EQ(beeps, c.beeps);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, MaskKeys,
    testing::Values(
        KeyCase{"FixedCharsFollow", kTimeMask, kTimeLiteral, false, "00:00:00:00", 0, "1234",
                "12:34:00:00", 6, 0},
        KeyCase{"FromEmptyText", kTimeMask, kTimeLiteral, false, "", 0, "123", "12:3", 4, 0},
        KeyCase{"LetterBeeps", kTimeMask, kTimeLiteral, false, "00:00:00:00", 0, "x",
                "00:00:00:00", 0, 1},
        KeyCase{"BackspaceRestoresBlank", kTimeMask, kTimeLiteral, false, "", 0, "123\b",
                "12:_", 3, 0},
        KeyCase{"BackspaceAtStartBeeps", kTimeMask, kTimeLiteral, false, "12", 0, "\b", "12", 0,
                1},
        KeyCase{"TypingOnAFixedCharSkipsIt", kTimeMask, kTimeLiteral, false, "12:34", 2, "5",
                "12:54", 4, 0},
        KeyCase{"LastPositionThenPastTheEnd", kTimeMask, kTimeLiteral, false, "00:00:00:00", 10,
                "12", "00:00:00:01", 11, 1},
        KeyCase{"WrongLiteralIsDropped", kTimeMask, "__:__", false, "0000", 0, "12\b",
                "1200", 1, 0},
        KeyCase{"DateDayTens", "00/00/0000", "__/__/____", true, "", 0, "4", "", 0, 0},
        KeyCase{"Date31", "00/00/0000", "__/__/____", true, "", 0, "31", "31/", 3, 0},
        KeyCase{"Date32Refused", "00/00/0000", "__/__/____", true, "", 0, "32", "3", 1, 0},
        KeyCase{"Month12", "00/00/0000", "__/__/____", true, "01/", 3, "12", "01/12/", 6, 0},
        KeyCase{"Month13Refused", "00/00/0000", "__/__/____", true, "01/", 3, "13", "01/1", 4,
                0},
        KeyCase{"Hour47", "00:00", "__:__", false, "", 0, "47", "47:", 3, 0},
        KeyCase{"Hour48Refused", "00:00", "__:__", false, "", 0, "48", "4", 1, 0},
        KeyCase{"Minute59Then60", "00:00", "__:__", false, "12:", 3, "59", "12:59", 5, 0},
        KeyCase{"Minute60Refused", "00:00", "__:__", false, "12:", 3, "6", "12:", 3, 0}),
    [](const testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

TEST(MaskModel, MaskOffIsAPlainEdit)
{
    MaskModel model;
    model.SetMask(QString());
    EXPECT_FALSE(model.IsOn());
    model.SetText("ab");
    model.SetSelection(2, 2);
    model.TypeChar('x');
    model.Backspace();
    model.Backspace();
    EXPECT_EQ(model.Text(), "a");
}

TEST(MaskModel, PasteGoesThroughTheMask)
{
    MaskModel model;
    model.SetMask(kTimeMask, kTimeLiteral);
    model.SetText("00:00:00:00");
    model.SetSelection(0, 0);
    EXPECT_TRUE(model.Paste("01:02:03:04"));
    EXPECT_EQ(model.Text(), "01:02:03:04");

    model.SetSelection(0, 0);
    bool beep = false;
    EXPECT_FALSE(model.Paste("9x9", &beep));
    EXPECT_TRUE(beep);
    EXPECT_EQ(model.Text(), "91:02:03:04") << "stops at the first refused character";

    model.SetSelection(3, 3);
    EXPECT_FALSE(model.Paste("123456789012")) << "nothing lands past the mask's end";
    EXPECT_EQ(model.Text(), "91:12:34:56");
}

TEST(MaskModel, SelectionCollapsesToItsStart)
{
    MaskModel model;
    model.SetMask(kTimeMask, kTimeLiteral);
    model.SetText("11:22:33:44");
    model.SetSelection(6, 0);
    EXPECT_EQ(model.SelectionStart(), 0);
    EXPECT_EQ(model.Caret(), 6);
    model.TypeChar('9');
    EXPECT_EQ(model.Text(), "91:22:33:44");
    EXPECT_EQ(model.Caret(), 1);
}

} // namespace
