// The selection fields' arithmetic: what each field's edit makes of the three
// texts and of the selection, T being the music's length.
#include "simple/SelectionFields.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

using namespace SelectionFields;

TEST(SelectionFields, TextsReadAsMinutesSecondsAndHundredths)
{
    const struct
    {
        const char* text;
        int64_t ms;
    } cases[] = {
        {"01:02:03", 62030},
        {"00:12:00", 12000},
        {"1:2", 62000},
        {"5", 300000},
        {"", 0},
        {"__:__:__", 0},
        {"0_:3_:__", 3000},
        {"99:99:99", 6039990},
        {"00:00:05:07", 50},
        {"-1:00:00", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseMs(QString::fromUtf8(c.text)), c.ms) << c.text;
    EXPECT_EQ(FormatMs(62030), "01:02:03");
    EXPECT_EQ(FormatMs(62039), "01:02:03");
    EXPECT_EQ(FormatMs(-40), "00:00:00");
    EXPECT_EQ(FormatHundredths(1766), "00:17:66");
}

enum class Field { Start, End, Length };

struct EditCase
{
    const char* name;
    Field field;
    int64_t total;
    Texts in;
    Texts out;
    int64_t start; // -1: the start is not set
    int64_t end;
};

std::ostream& operator<<(std::ostream& os, const EditCase& c)
{
    return os << c.name;
}

Outcome Edit(Field field, const Texts& in, int64_t total)
{
    switch (field) {
    case Field::Start:
        return StartEdited(in, total);
    case Field::End:
        return EndEdited(in, total);
    case Field::Length:
        break;
    }
    return LengthEdited(in, total);
}

class SelectionFieldEdits : public testing::TestWithParam<EditCase>
{
};

TEST_P(SelectionFieldEdits, FieldsAndSelection)
{
    const EditCase& c = GetParam();
    const Outcome outcome = Edit(c.field, c.in, c.total);
    EXPECT_EQ(outcome.texts.start, c.out.start);
    EXPECT_EQ(outcome.texts.end, c.out.end);
    EXPECT_EQ(outcome.texts.length, c.out.length);
    EXPECT_EQ(outcome.setsStart, c.start >= 0);
    if (c.start >= 0) {
        EXPECT_EQ(outcome.start, c.start);
    }
    EXPECT_EQ(outcome.end, c.end);
}

constexpr int64_t kLongSong = 300000;

INSTANTIATE_TEST_SUITE_P(Table, SelectionFieldEdits,
                         testing::Values(
                             // A length past fifty seconds is fifty.
                             EditCase{"length_sixty_seconds",
                                      Field::Length,
                                      kLongSong,
                                      {"00:10:00", "00:20:00", "01:00:00"},
                                      {"00:10:00", "01:00:00", "00:50:00"},
                                      -1,
                                      60000},
                             EditCase{"length_within",
                                      Field::Length,
                                      kLongSong,
                                      {"00:10:00", "00:20:00", "00:12:00"},
                                      {"00:10:00", "00:22:00", "00:12:00"},
                                      -1,
                                      22000},
                             // Past T the length shows T - s counted in hundredths.
                             EditCase{"length_past_the_end",
                                      Field::Length,
                                      30001,
                                      {"00:12:34", "00:20:00", "00:20:00"},
                                      {"00:12:34", "00:30:00", "00:17:66"},
                                      -1,
                                      30001},
                             // A start typed past the music and never applied.
                             EditCase{"length_with_start_past_the_end",
                                      Field::Length,
                                      30000,
                                      {"00:40:00", "00:45:00", "00:05:00"},
                                      {"00:30:00", "00:30:00", "00:00:00"},
                                      30000,
                                      30000},
                             EditCase{"start_within",
                                      Field::Start,
                                      30000,
                                      {"00:05:00", "00:07:00", "00:10:00"},
                                      {"00:05:00", "00:15:00", "00:10:00"},
                                      5000,
                                      15000},
                             // Start + length past T: [T - l, T], the length kept.
                             EditCase{"start_plus_length_past_the_end",
                                      Field::Start,
                                      30000,
                                      {"00:25:00", "00:28:00", "00:10:00"},
                                      {"00:20:00", "00:30:00", "00:10:00"},
                                      20000,
                                      30000},
                             // A length longer than the music, never applied: the whole music.
                             EditCase{"start_with_length_past_the_music",
                                      Field::Start,
                                      8000,
                                      {"00:03:00", "00:04:00", "00:10:00"},
                                      {"00:00:00", "00:08:00", "00:08:00"},
                                      0,
                                      8000},
                             EditCase{"end_within",
                                      Field::End,
                                      30000,
                                      {"00:00:00", "00:18:00", "00:10:00"},
                                      {"00:08:00", "00:18:00", "00:10:00"},
                                      8000,
                                      18000},
                             EditCase{"end_past_the_music",
                                      Field::End,
                                      30000,
                                      {"00:00:00", "00:40:00", "00:10:00"},
                                      {"00:20:00", "00:30:00", "00:10:00"},
                                      20000,
                                      30000},
                             EditCase{"end_below_the_length",
                                      Field::End,
                                      30000,
                                      {"00:09:00", "00:05:00", "00:10:00"},
                                      {"00:00:00", "00:10:00", "00:10:00"},
                                      0,
                                      10000},
                             EditCase{"end_with_length_past_the_music",
                                      Field::End,
                                      8000,
                                      {"00:00:00", "00:06:00", "00:20:00"},
                                      {"00:00:00", "00:08:00", "00:08:00"},
                                      0,
                                      8000}),
                         [](const testing::TestParamInfo<EditCase>& info) {
                             return std::string(info.param.name);
                         });

// Whatever the fields hold and whichever field is applied, the selection
// stays inside the music and never ends before it starts.
TEST(SelectionFields, NoInputLeavesTheSelectionOutsideTheMusic)
{
    const char* const texts[] = {"00:00:00", "00:05:00", "00:29:99", "00:30:00", "00:30:01",
                                 "00:50:00", "01:00:00", "99:99:99", "__:__:__", "12"};
    for (const int64_t total : {int64_t{0}, int64_t{1}, int64_t{4999}, int64_t{30001}}) {
        for (const char* start : texts) {
            for (const char* end : texts) {
                for (const char* length : texts) {
                    const Texts in{start, end, length};
                    for (const Field field : {Field::Start, Field::End, Field::Length}) {
                        const Outcome o = Edit(field, in, total);
                        const int64_t s = o.setsStart ? o.start : ParseMs(in.start);
                        SCOPED_TRACE(testing::Message() << total << " " << start << " " << end
                                                        << " " << length << " " << int(field));
                        ASSERT_GE(o.start, 0);
                        ASSERT_LE(o.start, o.end);
                        ASSERT_LE(o.end, total);
                        ASSERT_LE(s, o.end);
                        // What the end field shows is where the selection ends.
                        ASSERT_EQ(ParseMs(o.texts.end), o.end / 10 * 10);
                    }
                }
            }
        }
    }
}

} // namespace
