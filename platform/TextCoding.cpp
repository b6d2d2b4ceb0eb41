#include "platform/TextCoding.h"

#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <vector>

namespace {

// One conversion descriptor per call: iconv_t keeps shift state and is not
// safe to share between threads.
class Converter
{
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (IsOpen())
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool IsOpen() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts as much of [in, in + inLeft) as it can, appending to out.
    // Returns 0 when all input was used, else the errno that stopped it
    // (EILSEQ: bad or unconvertible input at in; EINVAL: input cut short).
    int Convert(const char*& in, size_t& inLeft, std::string& out)
    {
        char buffer[512];
        while (inLeft > 0) {
            char* dst = buffer;
            size_t dstLeft = sizeof buffer;
            char* src = const_cast<char*>(in);
            const size_t rc = iconv(m_cd, &src, &inLeft, &dst, &dstLeft);
            const int error = rc == static_cast<size_t>(-1) ? errno : 0;
            in = src;
            out.append(buffer, sizeof buffer - dstLeft);
            if (error == E2BIG)
                continue;
            if (error != 0)
                return error;
        }
        return 0;
    }

private:
    iconv_t m_cd;
};

bool IsHighSurrogate(uint16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(uint16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

bool InRange(unsigned char byte, unsigned char low, unsigned char high)
{
    return byte >= low && byte <= high;
}

// The length of the UTF-8 sequence at text when it is well formed, else
// -(length of its maximal ill-formed part, at least 1). Unicode's table of
// well-formed sequences: no overlong forms, no surrogates, nothing past
// U+10FFFF.
int Utf8SequenceAt(const unsigned char* text, size_t left)
{
    const unsigned char lead = text[0];
    if (lead < 0x80)
        return 1;
    int need = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (InRange(lead, 0xC2, 0xDF)) {
        need = 1;
    } else if (InRange(lead, 0xE0, 0xEF)) {
        need = 2;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (InRange(lead, 0xF0, 0xF4)) {
        need = 3;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return -1;
    }
    int matched = 0;
    for (int i = 1; i <= need; ++i) {
        if (static_cast<size_t>(i) >= left || !InRange(text[i], low, high))
            return -(1 + matched);
        ++matched;
        low = 0x80;
        high = 0xBF;
    }
    return 1 + need;
}

// A GBK lead byte with a byte that may follow it: a well-formed pair, whether
// or not the table maps it.
bool IsGbkPair(const unsigned char* text, size_t left)
{
    return left >= 2 && InRange(text[0], 0x81, 0xFE) &&
           (InRange(text[1], 0x40, 0x7E) || InRange(text[1], 0x80, 0xFE));
}

} // namespace

void WideToGbk(std::string& out, const void* utf16le, size_t byteCount)
{
    out.clear();
    const char* in = static_cast<const char*>(utf16le);
    size_t inLeft = byteCount & ~size_t{1};
    Converter converter("GBK", "UTF-16LE");
    if (!converter.IsOpen() || inLeft == 0)
        return;
    while (inLeft > 0) {
        if (converter.Convert(in, inLeft, out) == 0)
            break;
        // The unit at in is unconvertible or an unpaired surrogate: a
        // convertible pair is skipped whole, anything else one unit.
        const uint16_t unit = qFromLittleEndian<uint16_t>(in);
        size_t skip = 2;
        if (IsHighSurrogate(unit) && inLeft >= 4 &&
            IsLowSurrogate(qFromLittleEndian<uint16_t>(in + 2)))
            skip = 4;
        out.push_back('?');
        in += skip;
        inLeft -= skip;
    }
}

void WideToGbk(std::string& out, const QString& text)
{
    std::vector<char> bytes(static_cast<size_t>(text.size()) * 2);
    for (qsizetype i = 0; i < text.size(); ++i)
        qToLittleEndian<uint16_t>(text.at(i).unicode(), bytes.data() + 2 * i);
    WideToGbk(out, bytes.data(), bytes.size());
}

QString GbkToQString(QByteArrayView bytes)
{
    QString text;
    const char* in = bytes.data();
    size_t inLeft = static_cast<size_t>(bytes.size());
    Converter converter("UTF-16LE", "GBK");
    if (!converter.IsOpen())
        return QString::fromLatin1(bytes);
    std::string utf16;
    while (inLeft > 0) {
        const int error = converter.Convert(in, inLeft, utf16);
        if (error == 0)
            break;
        // The byte at in starts no valid GBK character: show it as Latin-1.
        utf16.push_back(*in);
        utf16.push_back('\0');
        ++in;
        --inLeft;
    }
    text.resize(static_cast<qsizetype>(utf16.size() / 2));
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(qFromLittleEndian<uint16_t>(utf16.data() + 2 * i));
    return text;
}

void Utf8ToGbk(std::string& out, const char* text, size_t length)
{
    std::string gbk;
    const char* in = text;
    size_t inLeft = length;
    Converter converter("GBK", "UTF-8");
    if (!converter.IsOpen()) {
        out.clear();
        return;
    }
    while (inLeft > 0) {
        if (converter.Convert(in, inLeft, gbk) == 0)
            break;
        // Either an ill-formed (or cut off) sequence or a character GBK does
        // not hold: one '?' for it either way.
        const int sequence = Utf8SequenceAt(reinterpret_cast<const unsigned char*>(in), inLeft);
        const size_t skip = static_cast<size_t>(sequence < 0 ? -sequence : sequence);
        gbk.push_back('?');
        in += skip;
        inLeft -= skip;
    }
    out = std::move(gbk);
}

void GbkToUtf8(std::string& out, const char* text, size_t length)
{
    const char* in = text;
    size_t inLeft = length;
    Converter converter("UTF-8", "GBK");
    if (!converter.IsOpen())
        return;
    while (inLeft > 0) {
        if (converter.Convert(in, inLeft, out) == 0)
            break;
        // An unmapped pair is skipped whole; a byte that starts no pair alone,
        // so an ASCII byte after a broken lead byte survives.
        const size_t skip = IsGbkPair(reinterpret_cast<const unsigned char*>(in), inLeft) ? 2 : 1;
        out.push_back('?');
        in += skip;
        inLeft -= skip;
    }
}

std::string UrlEncode(std::string_view text)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (InRange(byte, '0', '9') || InRange(byte, 'a', 'z') || InRange(byte, 'A', 'Z')) {
            out.push_back(c);
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f') {
            out.push_back('+');
        } else {
            out.push_back('%');
            out.push_back(digits[byte >> 4]);
            out.push_back(digits[byte & 0x0F]);
        }
    }
    return out;
}

std::string UrlEncodeUtf8(std::string_view gbkText)
{
    std::string utf8;
    GbkToUtf8(utf8, gbkText.data(), gbkText.size());
    return UrlEncode(utf8);
}

unsigned char HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return static_cast<unsigned char>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<unsigned char>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<unsigned char>(c - 'A' + 10);
    return 255;
}

unsigned char HexPairToByte(char first, char second)
{
    return static_cast<unsigned char>(HexDigitValue(first) * 16 + HexDigitValue(second));
}

std::string UrlDecode(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 2 < text.size() && HexDigitValue(text[i + 1]) != 255 &&
            HexDigitValue(text[i + 2]) != 255) {
            out.push_back(static_cast<char>(HexPairToByte(text[i + 1], text[i + 2])));
            i += 2;
        } else if (c == '+') {
            out.push_back(' ');
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string UrlDecodeUtf8(std::string_view text)
{
    const std::string utf8 = UrlDecode(text);
    std::string gbk;
    Utf8ToGbk(gbk, utf8.data(), utf8.size());
    return gbk;
}

int DetectXmlEncoding(const void* bytes, size_t length)
{
    struct Mark
    {
        size_t size;
        unsigned char bytes[4];
        int code;
    };
    static const Mark marks[] = {
        {2, {0xFE, 0xFF}, 0},
        {2, {0xFF, 0xFE}, 1},
        {3, {0xEF, 0xBB, 0xBF}, 3},
        {4, {0x00, 0x00, 0x00, 0x3C}, 4},
        {4, {0x3C, 0x00, 0x00, 0x00}, 5},
        {4, {0x00, 0x00, 0x3C, 0x00}, 6},
        {4, {0x00, 0x3C, 0x00, 0x00}, 7},
        {4, {0x00, 0x3C, 0x00, 0x3F}, 8},
        {4, {0x3C, 0x00, 0x3F, 0x00}, 9},
        {4, {0x4C, 0x6F, 0xA7, 0x94}, 10},
    };
    const auto* data = static_cast<const unsigned char*>(bytes);
    for (const Mark& mark : marks) {
        if (length < mark.size)
            return -1;
        if (std::equal(mark.bytes, mark.bytes + mark.size, data))
            return mark.code;
    }
    return -1;
}

void XmlEscape(std::string& out, const char* text, size_t length)
{
    std::string escaped;
    escaped.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        switch (text[i]) {
        case '"':
            escaped += "&quot;";
            break;
        case '&':
            escaped += "&amp;";
            break;
        case '\'':
            escaped += "&apos;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        default:
            escaped.push_back(text[i]);
        }
    }
    out = std::move(escaped);
}

int FindCharFrom(std::string_view text, char c, int start)
{
    if (start < 0 || static_cast<size_t>(start) >= text.size())
        return -1;
    const size_t at = text.find(c, static_cast<size_t>(start));
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

int FindCharFrom(const QString& text, QChar c, int start)
{
    if (start < 0 || start >= text.size())
        return -1;
    return static_cast<int>(text.indexOf(c, start));
}
