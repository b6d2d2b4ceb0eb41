// The text-coding helpers on any bytes: every conversion must stay inside its
// input, produce well-formed output and survive a round trip.
#include "fuzz/FuzzInput.h"
#include "platform/TextCoding.h"

#include <QStringDecoder>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

using FuzzInput::Check;

namespace {

// Judged by Qt's decoder, not by the iconv the helpers use.
bool IsValidUtf8(const std::string& text)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)decoder.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    return !decoder.hasError();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzInput::KeepConvertersLoaded();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    const std::string_view view(text, size);

    // GBK to UTF-8 always gives valid UTF-8, and nothing GBK holds is lost.
    std::string utf8 = "stale";
    GbkToUtf8(utf8, text, size);
    Check(utf8.compare(0, 5, "stale") == 0, "GbkToUtf8 appends");
    utf8.erase(0, 5);
    Check(IsValidUtf8(utf8), "GbkToUtf8 gives valid UTF-8");
    std::string gbk;
    Utf8ToGbk(gbk, utf8.data(), utf8.size());
    std::string utf8Again;
    GbkToUtf8(utf8Again, gbk.data(), gbk.size());
    Check(utf8Again == utf8, "GBK -> UTF-8 -> GBK -> UTF-8 is stable");

    // Any bytes read as UTF-8 give GBK that reads back to the same text.
    Utf8ToGbk(gbk, text, size);
    const QString shown = GbkToQString(QByteArrayView(gbk.data(), qsizetype(gbk.size())));
    std::string gbkAgain;
    WideToGbk(gbkAgain, shown);
    Check(gbkAgain == gbk, "UTF-8 -> GBK -> text -> GBK is stable");

    // UTF-16LE (an odd byte is ignored) to GBK, and the shown text back.
    WideToGbk(gbk, data, size);
    WideToGbk(gbkAgain, GbkToQString(QByteArrayView(gbk.data(), qsizetype(gbk.size()))));
    Check(gbkAgain == gbk, "UTF-16 -> GBK -> text -> GBK is stable");

    // Decoding shows one character at most per byte.
    Check(GbkToQString(QByteArrayView(text, qsizetype(size))).size() <= qsizetype(size),
          "GbkToQString grows no text");

    // URL coding round trips, and the encoded form is plain ASCII.
    const std::string encoded = UrlEncode(view);
    for (char c : encoded)
        Check(c == '+' || c == '%' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                  (c >= 'a' && c <= 'z'),
              "UrlEncode gives letters, digits, '+' and '%'");
    const std::string decoded = UrlDecode(encoded);
    for (size_t i = 0; i < size; ++i) {
        const char c = text[i];
        const bool space = c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' ||
                           c == '\f';
        Check(i < decoded.size() && decoded[i] == (space ? ' ' : c), "UrlDecode undoes UrlEncode");
    }
    Check(decoded.size() == size, "UrlDecode undoes UrlEncode");
    (void)UrlDecode(view);
    (void)UrlDecodeUtf8(view);
    Check(UrlDecode(UrlEncodeUtf8(view)) == [&] {
        std::string u;
        GbkToUtf8(u, text, size);
        for (char& c : u)
            if (c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f')
                c = ' ';
        return u;
    }(), "UrlEncodeUtf8 encodes the UTF-8 form");

    // XML escaping leaves no markup character bare.
    std::string escaped;
    XmlEscape(escaped, text, size);
    for (size_t i = 0; i < escaped.size(); ++i) {
        const char c = escaped[i];
        Check(c != '<' && c != '>' && c != '"' && c != '\'', "XmlEscape escapes markup");
        if (c == '&')
            Check(escaped.compare(i, 5, "&amp;") == 0 || escaped.compare(i, 4, "&lt;") == 0 ||
                      escaped.compare(i, 4, "&gt;") == 0 || escaped.compare(i, 6, "&quot;") == 0 ||
                      escaped.compare(i, 6, "&apos;") == 0,
                  "XmlEscape writes entities");
    }
    const int family = DetectXmlEncoding(data, size);
    Check(family >= -1 && family <= 10 && family != 2, "DetectXmlEncoding range");

    if (size > 0) {
        const int start = static_cast<int>(static_cast<int8_t>(data[0])) * 3;
        const int at = FindCharFrom(view, ';', start);
        Check(at == -1 || (at >= start && at < int(size) && text[at] == ';'), "FindCharFrom");
        const QString wide = QString::fromLatin1(text, qsizetype(size));
        const int wideAt = FindCharFrom(wide, QLatin1Char(';'), start);
        Check(wideAt == at, "FindCharFrom agrees on text");
    }
    return 0;
}
