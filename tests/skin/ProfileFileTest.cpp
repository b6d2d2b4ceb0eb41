#include "skin/ProfileFile.h"
#include "skin/SkinHelpers.h"

#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

// GBK bytes of UTF-8 text, made by iconv rather than by our own coder.
QByteArray Gbk(const QByteArray& utf8)
{
    QProcess iconv;
    iconv.start("iconv", {"-f", "UTF-8", "-t", "GBK"});
    iconv.waitForStarted();
    iconv.write(utf8);
    iconv.closeWriteChannel();
    iconv.waitForFinished();
    return iconv.readAllStandardOutput();
}

QString WriteTheme(const QByteArray& bytes)
{
    const QString path = TestEnvironment::Home() + "/theme.ini";
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

const QByteArray kTheme = Gbk("; a comment = not a key\r\n"
                              "[Personality]\r\n"
                              "Top=img\\top.bmp\r\n"
                              "  DialogBmp  =  \"skin\\dlg.bmp\"  \r\n"
                              "Quoted='single'\r\n"
                              "HalfQuoted=\"open\r\n"
                              "Empty=\r\n"
                              "Blank=   \r\n"
                              "Minus=-1\r\n"
                              "Word=abc\r\n"
                              "Mixed=12px\r\n"
                              "Spaced=  7  \r\n"
                              "Huge=99999999999\r\n"
                              "Comment=5 ; not a comment\r\n"
                              "Dup=first\r\n"
                              "dup=second\r\n"
                              "FontName=宋体\r\n"
                              "[personality]\r\n"
                              "Late=from the second section of the same name\r\n"
                              "[Colours]\n"
                              "Key=255 0 255\n"
                              "Wrap=300 0 0\n"
                              "One=12\n"
                              "Tabs=\t1\t2\t3\n"
                              "None=\n");

TEST(ProfileFileTest, ReadsValuesAsTheDesktopReaderDoes)
{
    const CProfileFile theme(kTheme);
    struct Case
    {
        const char* section;
        const char* key;
        QString value;
    };
    const Case cases[] = {
        {"Personality", "Top", "img\\top.bmp"},        // backslashes are plain text
        {"PERSONALITY", "dialogbmp", "skin\\dlg.bmp"}, // case, blanks and quotes
        {"Personality", "Quoted", "single"},
        {"Personality", "HalfQuoted", "\"open"},
        {"Personality", "Empty", ""},
        {"Personality", "Blank", ""},
        {"Personality", "Missing", ""},
        {"Personality", "Comment", "5 ; not a comment"},
        {"Personality", "Dup", "first"},
        {"Personality", "FontName", QString::fromUtf8("宋体")},
        {"Personality", "Late", ""}, // only the first section of a name counts
        {"Nowhere", "Top", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(theme.GetString(c.section, c.key), c.value) << c.section << "/" << c.key;
    EXPECT_EQ(theme.GetBytes("Personality", "FontName"), QByteArray("\xCB\xCE\xCC\xE5"));
}

TEST(ProfileFileTest, ReadsIntegersWithTheCallersDefault)
{
    const CProfileFile theme(kTheme);
    struct Case
    {
        const char* key;
        int def;
        int value;
    };
    const Case cases[] = {
        {"Minus", 5, -1},    {"Word", 5, 0},       {"Mixed", 5, 12},
        {"Spaced", 5, 7},    {"Empty", 5, 5},      {"Blank", -1, -1},
        {"Missing", -1, -1}, {"Huge", 0, INT_MAX}, {"Top", 3, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(theme.GetInt("Personality", c.key, c.def), c.value) << c.key;
}

TEST(ProfileFileTest, ReadsColoursAsThreeLowBytes)
{
    const QString path = WriteTheme(kTheme);
    struct Case
    {
        const char* key;
        ColorRef value;
    };
    const ColorRef def = 0x123456;
    const Case cases[] = {
        {"Key", 0xFF00FF},
        {"Wrap", MakeColorRef(44, 0, 0)},
        {"One", MakeColorRef(12, 0, 0)},
        {"Tabs", MakeColorRef(1, 2, 3)},
        {"None", def},
        {"Missing", def},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadProfileColor("Colours", c.key, path, def), c.value) << c.key;
    // Red in the low byte: the value is red, not blue.
    EXPECT_EQ(ColorRefToQColor(ReadProfileColor("Colours", "Wrap", path, 0)), QColor(44, 0, 0));
}

TEST(ProfileFileTest, AMissingThemeReadsAsEveryKeyAbsent)
{
    const QString missing = TestEnvironment::Home() + "/no/theme.ini";
    EXPECT_EQ(ReadProfileString("Personality", "Top", missing), QString());
    EXPECT_EQ(ReadProfileInt("Personality", "ButtonImgCount", 3, missing), 3);
    EXPECT_EQ(ReadProfileColor("Colours", "TransColor", missing, 0xFF00FF), 0xFF00FFu);
    // A folder in place of the file reads the same.
    EXPECT_EQ(ReadProfileInt("Personality", "UsesTran", 9, TestEnvironment::Home()), 9);
}

TEST(ProfileFileTest, ReadsAThemeByPathWithValuesOfAnyLength)
{
    const QByteArray longValue(5000, 'v');
    const QString path = WriteTheme(kTheme + "[Long]\nImage=" + longValue + "\n");
    EXPECT_EQ(ReadProfileString("personality", "TOP", path), "img\\top.bmp");
    EXPECT_EQ(ReadProfileInt("Personality", "Minus", 0, path), -1);
    EXPECT_EQ(ReadProfileString("Long", "Image", path), QString::fromLatin1(longValue));
}

} // namespace
