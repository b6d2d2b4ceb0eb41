// LRC lines as the reader takes them: time tags, information tags, several
// tags per line, the order of equal times, line ends and text codings.
#include "voice/LrcFile.h"

#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Line
{
    int start;
    int duration;
    QString text;
    bool operator==(const Line& o) const
    {
        return start == o.start && duration == o.duration && text == o.text;
    }
};

void PrintTo(const Line& l, std::ostream* os)
{
    *os << "(" << l.start << ", " << l.duration << ", \"" << l.text.toStdString() << "\")";
}

std::vector<Line> Lines(const QByteArray& bytes)
{
    std::vector<Line> lines;
    for (const CLyricsParagraph& p : CLrcFile::Parse(bytes))
        lines.push_back({p.start, p.duration, p.text});
    return lines;
}

struct Case
{
    const char* name;
    QByteArray bytes;
    std::vector<Line> lines;
};

TEST(LrcFile, TagsAndTexts)
{
    const Case cases[] = {
        {"one time", "[01:02.50]Hello", {{62500, 0, "Hello "}}},
        {"two times, one text",
         "[00:10.00][00:20.00]Twice",
         {{10000, 10000, "Twice "}, {20000, 0, "Twice "}}},
        {"three decimals", "[00:01.500]x", {}},
        {"one-digit minute", "[1:02.50]x", {}},
        {"plain text", "no tags here", {}},
        {"information tags",
         "[ti:Title]\n[ar:Singer]\n[al:Album]\n[by:Me]\n[offset:500]\n"
         "[00:01.00]a",
         {{1000, 0, "a "}}},
        {"information tags are case-sensitive", "[TI:abcde]Z", {{0, 0, "Z "}}},
        {"unknown 10-byte tag", "[xy:abcde]Q", {{0, 0, "Q "}}},
        {"nothing after the tag", "[00:05.00]", {{5000, 0, " "}}},
        {"equal times: the later line first",
         "[00:03.00]first\n[00:03.00]second",
         {{3000, 0, "second "}, {3000, 0, "first "}}},
        {"a broken tag ends the line's tags", "[00:01.00][bad][00:02.00]x", {{1000, 0, "x "}}},
        {"no colon after the first byte: no time, the next tag still counts",
         "[:1234567][00:04.00]y",
         {{4000, 0, "y "}}},
        {"the text starts after the last ']'", "[00:01.00]a]b", {{1000, 0, "b "}}},
        {"decimals count exactly",
         "[00:02.01]a\n[10:00.99]b",
         {{2010, 598980, "a "}, {600990, 0, "b "}}},
        {"lines come in time order",
         "[00:09.00]c\n[00:01.00]a\n[00:05.00]b",
         {{1000, 4000, "a "}, {5000, 4000, "b "}, {9000, 0, "c "}}},
        {"big minutes are held in range", "[9999999:]x", {{2147483647, 0, "x "}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Lines(c.bytes), c.lines) << c.name;
}

TEST(LrcFile, LineEndsAndCodings)
{
    const std::vector<Line> ab = {{1000, 1000, "a "}, {2000, 0, "b "}};
    const Case cases[] = {
        {"LF", "[00:01.00]a\n[00:02.00]b\n", ab},
        {"CR LF", "[00:01.00]a\r\n[00:02.00]b\r\n", ab},
        {"CR", "[00:01.00]a\r[00:02.00]b\r", ab},
        {"mixed, blank lines", "[00:01.00]a\r\n\n\r[00:02.00]b", ab},
        {"a CR at the very end", "[00:01.00]a\r\n[00:02.00]b\r", ab},
        {"byte-order mark", "\xEF\xBB\xBF[00:01.00]a\n[00:02.00]b", ab},
        {"UTF-8", "[00:01.00]\xE4\xBD\xA0\xE5\xA5\xBD", {{1000, 0, "你好 "}}},
        {"GBK", "[00:01.00]\xC4\xE3\xBA\xC3", {{1000, 0, "你好 "}}},
        // 0x81 0x5D is one GBK character whose second byte is ']'.
        {"GBK with ']' as a second byte", "[00:01.00]\x81\x5Dx", {{1000, 0, "乚x "}}},
        {"only a CR", "\r", {}},
        {"empty", "", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Lines(c.bytes), c.lines) << c.name;
}

TEST(LrcFile, ReadRefusesWhatIsNoLyricsFile)
{
    const QString folder = TestEnvironment::Home();
    const auto write = [&](const char* name, const QByteArray& bytes) {
        const QString path = QDir(folder).filePath(QString::fromLatin1(name));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return path;
    };
    std::vector<CLyricsParagraph> out(3);
    EXPECT_FALSE(CLrcFile::Read(folder + "/missing.lrc", &out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(CLrcFile::Read(write("empty.lrc", {}), &out));
    EXPECT_FALSE(CLrcFile::Read(folder, &out)) << "a folder";

    // At the size cap a file is read; one byte more and it is refused.
    QByteArray big = "[00:01.00]a\n";
    big += QByteArray(int(CLrcFile::kMaxBytes) - big.size(), ' ');
    EXPECT_TRUE(CLrcFile::Read(write("cap.lrc", big), &out));
    EXPECT_EQ(out.size(), 1u);
    EXPECT_FALSE(CLrcFile::Read(write("over.lrc", big + ' '), &out));
    EXPECT_TRUE(out.empty());
}

} // namespace
