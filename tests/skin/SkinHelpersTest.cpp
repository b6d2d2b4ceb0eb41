#include "skin/SkinHelpers.h"

#include <QFont>
#include <QFontMetrics>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Tokens(std::string_view text, const char* separators = nullptr)
{
    std::vector<std::string> tokens;
    for (int guard = 0; !text.empty() && guard < 100; ++guard) {
        std::string token;
        text = SplitToken(text, &token, separators);
        tokens.push_back(token);
    }
    return tokens;
}

TEST(SkinHelpersTest, SplitTokenTakesTokensAndWholeDoubleByteCharacters)
{
    std::string token;
    const std::string_view source = "  12\t34 ";
    const std::string_view rest = SplitToken(source, &token);
    EXPECT_EQ(token, "12");
    EXPECT_EQ(rest, "34 "); // stopped just after the tab
    EXPECT_EQ(Tokens(source), (std::vector<std::string>{"12", "34"}));

    struct Case
    {
        std::string text;
        const char* separators;
        std::vector<std::string> tokens;
    };
    const Case cases[] = {
        {"255 0 255", nullptr, {"255", "0", "255"}},
        {"a,b,,c", ",", {"a", "b", "c"}},
        // The trail byte 0x5C is a backslash and 0x2C-like bytes never split.
        {"\x81\x5C\\x", "\\", {"\x81\x5C", "x"}},
        {"\xCB\xCE \xCC\xE5", nullptr, {"\xCB\xCE", "\xCC\xE5"}},
        // A lead byte as the very last byte ends the text; nothing is read past it.
        {std::string("ab\xCB", 3), nullptr, {std::string("ab\xCB", 3)}},
        {std::string("1 \xCB", 3), nullptr, {"1", std::string("\xCB", 1)}},
        {"   ", nullptr, {""}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Tokens(c.text, c.separators), c.tokens) << c.text;
}

TEST(SkinHelpersTest, TrimAndAppendCharacters)
{
    EXPECT_EQ(TrimSpaces(" \t a b \r\n"), "a b");
    EXPECT_EQ(TrimSpaces(" \t\n"), "");
    std::string out;
    EXPECT_EQ(AppendMbChar(&out, 'A'), 1);
    EXPECT_EQ(AppendMbChar(&out, 0xCBCE), 2);
    EXPECT_EQ(out, "A\xCB\xCE");
    EXPECT_EQ(AppendMbChar(nullptr, 'A'), 0);
}

TEST(SkinHelpersTest, PathHelpersSplitAtEitherSeparator)
{
    struct Case
    {
        QString path;
        QString directory;
        QString name;
        QString stem;
    };
    const Case cases[] = {
        {"a.b.bmp", "", "a.b.bmp", "a"},
        {"C:\\P\\skin\\theme.ini", "C:\\P\\skin\\", "theme.ini", "theme"},
        {"/opt/skin/img\\top.bmp", "/opt/skin/img\\", "top.bmp", "top"},
        {"dir/", "dir/", "", ""},
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetPathDirectory(c.path), c.directory) << c.path;
        EXPECT_EQ(GetPathFileName(c.path, true), c.name) << c.path;
        EXPECT_EQ(GetPathFileName(c.path, false), c.stem) << c.path;
    }
    // Paths far beyond the old 260-character limit stay whole.
    const QString longFolder = "/" + QString(600, u'x') + "/";
    EXPECT_EQ(GetPathDirectory(longFolder + "t.ini"), longFolder);
}

TEST(SkinHelpersTest, ThemeImagesComeFromTheThemesOwnFolder)
{
    EXPECT_EQ(ThemeImagePath("/opt/k/skin/neostyle/theme.ini", "img\\top.bmp"),
              "/opt/k/skin/neostyle/top.bmp");
    EXPECT_EQ(ThemeImagePath("/opt/k/theme.ini", "C:/else/where/a.png"), "/opt/k/a.png");
    // A theme named without a folder is in the current folder, never at the root.
    const QString bare = ThemeImagePath("theme.ini", "top.bmp");
    EXPECT_FALSE(bare.startsWith(u'/')) << bare.toStdString();
    EXPECT_TRUE(bare == "top.bmp" || bare == "./top.bmp") << bare.toStdString();
}

TEST(SkinHelpersTest, ScalesColoursWithClamps)
{
    const ColorRef colour = MakeColorRef(200, 100, 50);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case
    {
        bool up;
        float factor;
        ColorRef result;
    };
    const Case cases[] = {
        {false, 0.5f, MakeColorRef(100, 50, 25)},
        {false, 2.0f, colour},
        {false, -1.0f, 0},
        {false, nan, colour},
        {true, 2.0f, MakeColorRef(255, 200, 100)},
        {true, 0.5f, colour},
        {true, nan, colour},
        {true, 1.2f, MakeColorRef(240, 120, 60)},
    };
    for (const Case& c : cases) {
        const ColorRef result =
            c.up ? ScaleColorUp(colour, c.factor) : ScaleColorDown(colour, c.factor);
        EXPECT_EQ(result, c.result) << (c.up ? "up " : "down ") << c.factor;
    }
    EXPECT_EQ(ScaleColorUp(MakeColorRef(0, 1, 0), inf), MakeColorRef(0, 255, 0));
}

TEST(SkinHelpersTest, FitsTextWithAnEndEllipsis)
{
    const QFontMetrics metrics{QFont()};
    QString text = QString::fromUtf8("短");
    FitTextWithEllipsis(text, metrics, 500);
    EXPECT_EQ(text, QString::fromUtf8("短"));

    text = QString::fromUtf8("我的铃音库里有很多很多铃音");
    const QSize size = FitTextWithEllipsis(text, metrics, metrics.horizontalAdvance("MMMM"));
    EXPECT_TRUE(text.endsWith(QChar(0x2026))) << text.toStdString();
    EXPECT_LE(size.width(), metrics.horizontalAdvance("MMMM"));
    EXPECT_EQ(size.width(), metrics.horizontalAdvance(text));
}

} // namespace
