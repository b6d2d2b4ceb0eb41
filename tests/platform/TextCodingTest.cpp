#include "platform/TextCoding.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// What iconv makes of bytes; "<failed>" when it refuses them.
QByteArray Iconv(const char* from, const char* to, const QByteArray& bytes)
{
    QProcess process;
    process.start("iconv", {"-f", from, "-t", to});
    if (!process.waitForStarted(10000))
        return "<not started>";
    process.write(bytes);
    process.closeWriteChannel();
    process.waitForFinished(10000);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return "<failed>";
    return process.readAllStandardOutput();
}

std::vector<char> Utf16Le(const std::u16string& units)
{
    std::vector<char> bytes;
    for (char16_t unit : units) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

std::string ToGbk(const std::u16string& units)
{
    const std::vector<char> bytes = Utf16Le(units);
    std::string out = "stale";
    WideToGbk(out, bytes.data(), bytes.size());
    return out;
}

TEST(TextCoding, WideToGbkMatchesIconv)
{
    // Windows Media header texts as the muxers write them: NUL-terminated
    // UTF-16LE, Chinese, full-width and Latin characters GBK holds.
    const std::u16string texts[] = {
        u"",
        u"Ring tone 01",
        u"我的彩铃·周末版",
        std::u16string(u"歌名\0", 3),
        std::u16string(u"a\0b", 3),
        u"€５＠：～ü é",
        u"《世界》—“歌手”",
    };
    for (const std::u16string& text : texts) {
        const std::vector<char> bytes = Utf16Le(text);
        const QByteArray utf16(bytes.data(), static_cast<qsizetype>(bytes.size()));
        const QByteArray expected = Iconv("UTF-16LE", "GBK", utf16);
        const std::string got = ToGbk(text);
        EXPECT_EQ(QByteArray(got.data(), static_cast<qsizetype>(got.size())), expected)
            << QString::fromStdU16String(text);
    }
}

TEST(TextCoding, WideToGbkTurnsWhatGbkCannotHoldIntoQuestionMarks)
{
    // iconv refuses these outright; each unit (or surrogate pair) becomes '?'.
    EXPECT_EQ(Iconv("UTF-8", "GBK", "S\xC3\xA4nger"), "<failed>");
    EXPECT_EQ(ToGbk(u"Sänger"), "S?nger");
    EXPECT_EQ(ToGbk(u"a😀b"), "a?b");
    EXPECT_EQ(ToGbk(std::u16string{u'a', char16_t(0xD800), u'b'}), "a?b");
    EXPECT_EQ(ToGbk(std::u16string{u'a', char16_t(0xDC00), u'b'}), "a?b");
    EXPECT_EQ(ToGbk(std::u16string{u'a', char16_t(0xD83D)}), "a?");
    EXPECT_EQ(ToGbk(std::u16string{char16_t(0xDC00), char16_t(0xD800), u'中'}), "??\xD6\xD0");

    // An odd last byte is no unit and is left out.
    const std::vector<char> odd = {'O', 0, 'K', 0, 'x'};
    std::string out;
    WideToGbk(out, odd.data(), odd.size());
    EXPECT_EQ(out, "OK");

    WideToGbk(out, QStringLiteral("彩铃 ä"));
    EXPECT_EQ(out, "\xB2\xCA\xC1\xE5 ?");
}

TEST(TextCoding, GbkToQStringDecodesGbkAndFallsBackToLatin1)
{
    const QString chinese = QStringLiteral("我的彩铃·周末版€");
    const QByteArray gbk = Iconv("UTF-8", "GBK", chinese.toUtf8());
    ASSERT_NE(gbk, "<failed>");
    EXPECT_EQ(GbkToQString(gbk), chinese);
    EXPECT_EQ(QString::fromUtf8(Iconv("GBK", "UTF-8", gbk)), GbkToQString(gbk));

    struct Case
    {
        QByteArray bytes;
        QString text;
    };
    const Case cases[] = {
        {"Caf\xE9", QStringLiteral("Café")},                       // lone lead byte at the end
        {"Beyonc\xE9 Knowles", QStringLiteral("Beyoncé Knowles")}, // bad trail byte
        {"\xD6\xD0\xFF", QStringLiteral("中ÿ")},                   // 0xFF is never GBK
        {QByteArray("a\0b", 3), QString(QChar(u'a')) + QChar(0) + QChar(u'b')},
        {"", QString()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GbkToQString(c.bytes), c.text) << c.bytes.toHex();
}

} // namespace
