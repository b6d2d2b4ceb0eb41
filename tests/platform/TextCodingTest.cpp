#include "platform/TextCoding.h"

#include <QJsonArray>
#include <QJsonDocument>
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

QByteArray Bytes(const std::string& bytes)
{
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string GbkFrom(const QByteArray& utf8)
{
    std::string out = "stale";
    Utf8ToGbk(out, utf8.constData(), static_cast<size_t>(utf8.size()));
    return out;
}

std::string Utf8From(const QByteArray& gbk)
{
    std::string out;
    GbkToUtf8(out, gbk.constData(), static_cast<size_t>(gbk.size()));
    return out;
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

TEST(TextCoding, Utf8AndGbkConvertLikeIconv)
{
    const QString texts[] = {
        QString(),
        QStringLiteral("abc 123"),
        QStringLiteral("彩铃"),
        QStringLiteral("我的彩铃·周末版"), // the middle dot is below U+0800
        QStringLiteral("€５＠：～ü"),
        QStringLiteral("《世界》—“歌手”"),
        QString(QChar(u'a')) + QChar(0) + QStringLiteral("中"),
    };
    for (const QString& text : texts) {
        const QByteArray utf8 = text.toUtf8();
        const QByteArray gbk = Iconv("UTF-8", "GBK", utf8);
        ASSERT_NE(gbk, "<failed>") << text;
        EXPECT_EQ(Bytes(GbkFrom(utf8)), gbk) << text;
        // Standard UTF-8, the shortest form of every character.
        EXPECT_EQ(Bytes(Utf8From(gbk)), Iconv("GBK", "UTF-8", gbk)) << text;
        EXPECT_EQ(Bytes(Utf8From(gbk)), utf8) << text;
    }

    std::string appended = "x";
    GbkToUtf8(appended, "\xB2\xCA", 2);
    EXPECT_EQ(appended, "x彩");
}

TEST(TextCoding, BrokenInputBecomesQuestionMarks)
{
    struct Case
    {
        QByteArray in;
        std::string out;
    };
    // Each of these is refused by iconv; ours writes '?' per broken piece
    // and keeps what stands around it.
    const Case fromUtf8[] = {
        {"\xC0\xAF", "??"},                    // overlong '/'
        {"a\xE0\x80\xAF.", "a???."},           // overlong, three bytes
        {"\xED\xA0\x80", "???"},               // surrogate
        {"\xF4\x90\x80\x80", "????"},          // beyond U+10FFFF
        {"a\x80.", "a?."},                     // stray continuation byte
        {"\xD6\xD0", "??"},                    // GBK bytes are no UTF-8
        {"\xE4\xB8\xAD\xE4\xB8", "\xD6\xD0?"}, // cut off by the end
        {"\xF0\x9F\x98\x80!", "?!"},           // valid, but GBK has no place for it
        {"S\xC3\xA4nger", "S?nger"},
    };
    for (const Case& c : fromUtf8) {
        EXPECT_EQ(Iconv("UTF-8", "GBK", c.in), "<failed>") << c.in.toHex();
        EXPECT_EQ(GbkFrom(c.in), c.out) << c.in.toHex();
    }
    const Case fromGbk[] = {
        {"\xFF", "?"},
        {"ab\xB2", "ab?"}, // lead byte cut off by the end
        {"\xB2 x", "? x"}, // a space is no trail byte
        {"\x81\x30", "?0"},
        {"\xAA\xA1", "?"}, // a pair the table does not map
        {"\xD6\xD0\xFF\xD6\xD0", "中?中"},
    };
    for (const Case& c : fromGbk) {
        EXPECT_EQ(Iconv("GBK", "UTF-8", c.in), "<failed>") << c.in.toHex();
        EXPECT_EQ(Utf8From(c.in), c.out) << c.in.toHex();
    }
}

TEST(TextCoding, UrlEncodingAndDecoding)
{
    struct Case
    {
        std::string in;
        std::string out;
    };
    const Case encodes[] = {
        {"a b", "a+b"},
        {"/", "%2F"},
        {"a\tb\r\n\v\f", "a+b++++"},
        {"Zz09", "Zz09"},
        {"-_.~*", "%2D%5F%2E%7E%2A"},
        {"\xD6\xD0", "%D6%D0"},
    };
    for (const Case& c : encodes)
        EXPECT_EQ(UrlEncode(c.in), c.out) << c.in;
    EXPECT_EQ(UrlEncodeUtf8("\xD6\xD0 a"), "%E4%B8%AD+a");

    // Python's unquote_plus leaves a '%' without two hex digits as it is, as
    // ours does; it is the reference for the table.
    const char* decodes[] = {"%41+%42", "%zz", "50%", "%4", "a%4g", "%e4%B8%ad",
                             "%%41",    "+",   "%2B", "a%", "%00x"};
    QJsonArray inputs;
    for (const char* text : decodes)
        inputs.append(QString::fromLatin1(text));
    QProcess python;
    python.start("python3", {"-c", "import json, sys, urllib.parse as u\n"
                                   "for s in json.load(sys.stdin):\n"
                                   "    print(u.unquote_to_bytes(s.replace('+', ' ')).hex())"});
    ASSERT_TRUE(python.waitForStarted(30000));
    python.write(QJsonDocument(inputs).toJson());
    python.closeWriteChannel();
    ASSERT_TRUE(python.waitForFinished(30000));
    const QList<QByteArray> expected = python.readAllStandardOutput().trimmed().split('\n');
    ASSERT_EQ(expected.size(), static_cast<qsizetype>(std::size(decodes)));
    for (size_t i = 0; i < std::size(decodes); ++i) {
        EXPECT_EQ(Bytes(UrlDecode(decodes[i])).toHex(), expected[static_cast<qsizetype>(i)])
            << decodes[i];
    }
    EXPECT_EQ(UrlDecode("%41+%42"), "A B");
    EXPECT_EQ(UrlDecode("%zz"), "%zz");
    EXPECT_EQ(UrlDecodeUtf8("%E4%B8%AD+%E5%BD"), "\xD6\xD0 ?");

    EXPECT_EQ(HexDigitValue('7'), 7);
    EXPECT_EQ(HexDigitValue('c'), 12);
    EXPECT_EQ(HexDigitValue('C'), 12);
    EXPECT_EQ(HexDigitValue('g'), 255);
    EXPECT_EQ(HexPairToByte('f', 'F'), 0xFF);
}

TEST(TextCoding, XmlEncodingEscapingAndSearch)
{
    struct Detect
    {
        QByteArray bytes;
        int code;
    };
    const Detect detects[] = {
        {"\xFE\xFF\x00<", 0},
        {"\xFF\xFE<\x00", 1},
        {"\xEF\xBB\xBF<?xml", 3},
        {QByteArray("\0\0\0<", 4), 4},
        {QByteArray("<\0\0\0", 4), 5},
        {QByteArray("\0\0<\0", 4), 6},
        {QByteArray("\0<\0\0", 4), 7},
        {QByteArray("\0<\0?", 4), 8},
        {QByteArray("<\0?\0", 4), 9},
        {"\x4C\x6F\xA7\x94", 10},
        {"<?xml version=\"1.0\" encoding=\"GB2312\"?>", -1},
        {"\xEF\xBB", -1}, // too short for the UTF-8 mark
        {"\xFE", -1},
        {"", -1},
    };
    for (const Detect& d : detects)
        EXPECT_EQ(DetectXmlEncoding(d.bytes.constData(), static_cast<size_t>(d.bytes.size())),
                  d.code)
            << d.bytes.toHex();

    std::string escaped = "stale";
    XmlEscape(escaped, "a<b", 3);
    EXPECT_EQ(escaped, "a&lt;b");
    const std::string all("\"&'<>\0x\xD6\xD0", 9);
    XmlEscape(escaped, all.data(), all.size());
    EXPECT_EQ(escaped, std::string("&quot;&amp;&apos;&lt;&gt;\0x\xD6\xD0", 29));

    struct Find
    {
        int start;
        char c;
        int index;
    };
    const Find finds[] = {{0, '?', 3},   {3, '?', 3},  {4, '?', 5}, {6, '?', -1},
                          {-1, 'a', -1}, {7, 'a', -1}, {0, 'z', -1}};
    for (const Find& f : finds) {
        EXPECT_EQ(FindCharFrom(std::string_view("abc?d?x"), f.c, f.start), f.index) << f.start;
        EXPECT_EQ(FindCharFrom(QStringLiteral("abc?d?x"), QChar(f.c), f.start), f.index)
            << f.start;
    }
    EXPECT_EQ(FindCharFrom(std::string_view(), 'a', 0), -1);
}

} // namespace
