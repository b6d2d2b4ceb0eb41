#include "platform/TextCoding.h"

#include <QtEndian>

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
