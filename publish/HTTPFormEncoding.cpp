#include "publish/HTTPFormEncoding.h"

#include <cstdlib>

namespace {

const char kUpperDigits[] = "0123456789ABCDEF";

bool UpperHexValue(char c, unsigned char& value)
{
    if (c >= '0' && c <= '9') {
        value = static_cast<unsigned char>(c - '0');
        return true;
    }
    if (c >= 'A' && c <= 'F') {
        value = static_cast<unsigned char>(c - 'A' + 10);
        return true;
    }
    return false;
}

} // namespace

char RandomHexChar()
{
    static const char digits[] = "0123456789abcdef";
    return digits[std::rand() % 16];
}

void ByteToHex(unsigned char byte, char out[3])
{
    out[0] = kUpperDigits[byte >> 4];
    out[1] = kUpperDigits[byte & 0x0F];
    out[2] = '\0';
}

bool HexToByte(const char twoChars[2], unsigned char& out)
{
    unsigned char high = 0;
    unsigned char low = 0;
    if (!UpperHexValue(twoChars[0], high) || !UpperHexValue(twoChars[1], low))
        return false;
    out = static_cast<unsigned char>(high << 4 | low);
    return true;
}

void BytesToHex(const unsigned char* data, size_t length, std::string& out)
{
    out.clear();
    out.reserve(length * 2);
    char pair[3];
    for (size_t i = 0; i < length; ++i) {
        ByteToHex(data[i], pair);
        out.append(pair, 2);
    }
}

bool HexToBytes(std::string_view hex, unsigned char* out, size_t count)
{
    if (hex.size() / 2 < count)
        return false;
    for (size_t i = 0; i < count; ++i) {
        if (!HexToByte(hex.data() + 2 * i, out[i]))
            return false;
    }
    return true;
}

std::string UrlEncodeForm(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 3);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool alnum = (byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= 'A' && byte <= 'Z');
        if (alnum || c == '*' || c == '-' || c == '.' || c == '@' || c == '_') {
            out.push_back(c);
        } else if (c == ' ') {
            out.push_back('+');
        } else {
            out.push_back('%');
            out.push_back(kUpperDigits[byte >> 4]);
            out.push_back(kUpperDigits[byte & 0x0F]);
        }
    }
    return out;
}
