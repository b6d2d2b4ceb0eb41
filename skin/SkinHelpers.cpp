#include "skin/SkinHelpers.h"

#include "skin/MyBitmap.h"
#include "skin/ProfileFile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsLeadByte(char c)
{
    return static_cast<unsigned char>(c) > 0x80;
}

int Component(ColorRef colour, int shift)
{
    return static_cast<int>((colour >> shift) & 0xFF);
}

qsizetype LastSeparator(const QString& path)
{
    return std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
}

} // namespace

int AppendMbChar(std::string* out, int character)
{
    if (!out)
        return 0;
    if (character < 256) {
        out->push_back(static_cast<char>(character));
        return 1;
    }
    out->push_back(static_cast<char>((character >> 8) & 0xFF));
    out->push_back(static_cast<char>(character & 0xFF));
    return 2;
}

std::string TrimSpaces(std::string_view text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsSpace(text[begin]))
        ++begin;
    while (end > begin && IsSpace(text[end - 1]))
        --end;
    return std::string(text.substr(begin, end - begin));
}

std::string_view SplitToken(std::string_view source, std::string* token, const char* separators)
{
    const char* const seps = separators ? separators : " \t\n";
    const auto isSeparator = [seps](char c) { return c != '\0' && std::strchr(seps, c); };
    size_t pos = 0;
    while (pos < source.size() && !IsLeadByte(source[pos]) && isSeparator(source[pos]))
        ++pos;
    const size_t begin = pos;
    size_t end = source.size();
    size_t next = source.size();
    while (pos < source.size()) {
        if (IsLeadByte(source[pos])) {
            // A lead byte as the last byte has no trail byte to take.
            pos = std::min(pos + 2, source.size());
            continue;
        }
        if (isSeparator(source[pos])) {
            end = pos;
            next = pos + 1;
            break;
        }
        ++pos;
    }
    if (pos >= source.size())
        end = next = source.size();
    if (token)
        *token = TrimSpaces(source.substr(begin, end - begin));
    return source.substr(next);
}

QSize FitTextWithEllipsis(QString& text, const QFontMetrics& metrics, int width)
{
    text = metrics.elidedText(text, Qt::ElideRight, std::max(width, 0));
    return metrics.size(Qt::TextSingleLine, text);
}

QString GetPathDirectory(const QString& path)
{
    const qsizetype separator = LastSeparator(path);
    return separator < 0 ? QString() : path.left(separator + 1);
}

QString GetPathFileName(const QString& path, bool keepExtension)
{
    QString name = path.mid(LastSeparator(path) + 1);
    if (!keepExtension) {
        const qsizetype dot = name.indexOf(u'.');
        if (dot >= 0)
            name.truncate(dot);
    }
    return name;
}

ColorRef ReadProfileColor(const QString& section, const QString& key, const QString& themePath,
                          ColorRef def)
{
    return ReadProfileColor(CProfileFile::Load(themePath), section, key, def);
}

ColorRef ReadProfileColor(const CProfileFile& theme, const QString& section, const QString& key,
                          ColorRef def)
{
    const QByteArray value = theme.GetBytes(section, key);
    if (value.isEmpty())
        return def;
    std::string_view rest(value.constData(), static_cast<size_t>(value.size()));
    int rgb[3] = {0, 0, 0};
    for (int& c : rgb) {
        std::string token;
        rest = SplitToken(rest, &token);
        // atoi semantics without its overflow: only the low 8 bits are kept.
        const char* p = token.c_str();
        bool negative = false;
        if (*p == '-' || *p == '+')
            negative = *p++ == '-';
        unsigned int number = 0;
        for (; *p >= '0' && *p <= '9'; ++p)
            number = number * 10u + static_cast<unsigned int>(*p - '0');
        c = static_cast<int>((negative ? 0u - number : number) & 0xFFu);
    }
    return MakeColorRef(static_cast<uint8_t>(rgb[0]), static_cast<uint8_t>(rgb[1]),
                        static_cast<uint8_t>(rgb[2]));
}

ColorRef ScaleColorDown(ColorRef colour, float factor)
{
    if (std::isnan(factor))
        factor = 1.0f;
    factor = std::clamp(factor, 0.0f, 1.0f);
    const auto scale = [&](int shift) {
        return static_cast<uint8_t>(static_cast<float>(Component(colour, shift)) * factor);
    };
    return MakeColorRef(scale(0), scale(8), scale(16));
}

ColorRef ScaleColorUp(ColorRef colour, float factor)
{
    if (std::isnan(factor) || factor <= 1.0f)
        factor = 1.0f;
    const auto scale = [&](int shift) {
        const int component = Component(colour, shift);
        if (component == 0) // 0 times an infinite factor would be NaN
            return uint8_t(0);
        const float value = static_cast<float>(component) * factor;
        return static_cast<uint8_t>(value >= 255.0f ? 255 : static_cast<int>(value));
    };
    return MakeColorRef(scale(0), scale(8), scale(16));
}

QString ThemeImagePath(const QString& themePath, const QString& value)
{
    const QString folder = QFileInfo(themePath).path();
    return QDir(folder).filePath(GetPathFileName(value, true));
}

bool LoadThemeImage(CMyBitmap& bitmap, const QString& section, const QString& key,
                    const QString& themePath)
{
    const QString value = ReadProfileString(section, key, themePath);
    if (value.isEmpty())
        return false;
    bitmap.DeleteObject();
    return bitmap.LoadImage(ThemeImagePath(themePath, value), 0);
}
