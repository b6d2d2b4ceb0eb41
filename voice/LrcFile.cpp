#include "voice/LrcFile.h"

#include "platform/TextCoding.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <climits>
#include <string_view>

namespace {

constexpr int kTagBytes = 10; // "[mm:ss.cc]"

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Skips leading blanks and one sign as the C library's number readers do;
// true for a minus.
bool SkipBlanksAndSign(std::string_view s, size_t& i)
{
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        return s[i++] == '-';
    return false;
}

// The digits from i on as a number. Small fields only (a time tag's 8 bytes),
// so no overflow.
int64_t Digits(std::string_view s, size_t& i)
{
    int64_t value = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9')
        value = value * 10 + (s[i++] - '0');
    return value;
}

// The leading integer as the C library's atoi reads it; not a number: 0.
int64_t LeadingInt(std::string_view s)
{
    size_t i = 0;
    const bool negative = SkipBlanksAndSign(s, i);
    const int64_t value = Digits(s, i);
    return negative ? -value : value;
}

// Leading decimal seconds in whole ms, digits past the third decimal cut off;
// counted exactly, so "02.01" is 2010 ms and not a hair less.
int64_t LeadingSecondsMs(std::string_view s)
{
    size_t i = 0;
    const bool negative = SkipBlanksAndSign(s, i);
    int64_t ms = Digits(s, i) * 1000;
    if (i < s.size() && s[i] == '.') {
        ++i;
        for (int scale = 100; scale > 0 && i < s.size() && s[i] >= '0' && s[i] <= '9'; scale /= 10)
            ms += (s[i++] - '0') * scale;
    }
    return negative ? -ms : ms;
}

int ClampInt(int64_t value)
{
    return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

// Index of the line's last ']', stepping over GBK's two-byte characters
// (whose second byte may be ']') when the text is GBK; -1 when none.
int64_t LastBracket(std::string_view line, bool gbk)
{
    int64_t last = -1;
    for (size_t i = 0; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (gbk && c >= 0x81 && c <= 0xFE && i + 1 < line.size()) {
            ++i;
            continue;
        }
        if (c == ']')
            last = int64_t(i);
    }
    return last;
}

bool StartsWith(std::string_view line, std::string_view prefix)
{
    return line.substr(0, prefix.size()) == prefix;
}

struct Timed
{
    CLyricsParagraph paragraph;
    size_t order; // position of the tag in the file
};

void ParseLine(std::string_view line, bool utf8, std::vector<Timed>& out)
{
    if (line.empty() || line[0] != '[')
        return;
    for (const std::string_view info : {"[ti:", "[ar:", "[al:", "[by:", "[offset:"})
        if (StartsWith(line, info))
            return;
    const int64_t close = LastBracket(line, !utf8);
    if (close < 1)
        return;
    const std::string_view textBytes = line.substr(size_t(close) + 1);
    const QString text =
        (utf8 ? QString::fromUtf8(textBytes.data(), qsizetype(textBytes.size()))
              : GbkToQString(QByteArrayView(textBytes.data(), qsizetype(textBytes.size())))) +
        u' ';
    std::string_view tags = line.substr(0, size_t(close) + 1);
    // Tags are taken while they keep the 10-byte shape; the first one that
    // breaks it ends the line's tags.
    while (tags.size() >= kTagBytes && tags[0] == '[' && tags[kTagBytes - 1] == ']') {
        const std::string_view time = tags.substr(1, kTagBytes - 2);
        const size_t colon = time.find(':');
        if (colon != std::string_view::npos && colon >= 1) {
            const int64_t start = LeadingInt(time.substr(0, colon)) * 60000 +
                                  LeadingSecondsMs(time.substr(colon + 1));
            CLyricsParagraph p;
            p.start = ClampInt(start);
            p.text = text;
            out.push_back({std::move(p), out.size()});
        }
        tags.remove_prefix(kTagBytes);
    }
}

bool IsValidUtf8(std::string_view bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    return !decoder.hasError();
}

} // namespace

std::vector<CLyricsParagraph> CLrcFile::Parse(const QByteArray& bytes)
{
    std::string_view rest(bytes.constData(), size_t(bytes.size()));
    if (StartsWith(rest, "\xEF\xBB\xBF"))
        rest.remove_prefix(3);
    const bool utf8 = IsValidUtf8(rest);

    std::vector<Timed> timed;
    while (!rest.empty()) {
        const size_t end = rest.find_first_of("\r\n");
        ParseLine(rest.substr(0, end), utf8, timed);
        if (end == std::string_view::npos)
            break;
        size_t next = end + 1;
        if (rest[end] == '\r' && next < rest.size() && rest[next] == '\n')
            ++next;
        rest.remove_prefix(next);
    }

    std::sort(timed.begin(), timed.end(), [](const Timed& a, const Timed& b) {
        if (a.paragraph.start != b.paragraph.start)
            return a.paragraph.start < b.paragraph.start;
        return a.order > b.order;
    });
    std::vector<CLyricsParagraph> paragraphs;
    paragraphs.reserve(timed.size());
    for (Timed& t : timed)
        paragraphs.push_back(std::move(t.paragraph));
    for (size_t i = 0; i + 1 < paragraphs.size(); ++i)
        paragraphs[i].duration = ClampInt(int64_t(paragraphs[i + 1].start) - paragraphs[i].start);
    return paragraphs;
}

bool CLrcFile::Read(const QString& path, std::vector<CLyricsParagraph>* out)
{
    out->clear();
    const QFileInfo info(path);
    if (!info.isFile() || info.size() <= 0 || info.size() > kMaxBytes)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Read one byte past the cap, in case the file grew since it was looked at.
    const QByteArray bytes = file.read(kMaxBytes + 1);
    if (bytes.isEmpty() || bytes.size() > kMaxBytes)
        return false;
    *out = Parse(bytes);
    return true;
}
