#include "skin/ProfileFile.h"

#include "platform/TextCoding.h"

#include <QFile>
#include <QFileInfo>

#include <climits>
#include <cstdint>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

QByteArray Trimmed(const char* begin, const char* end)
{
    while (begin < end && IsBlank(*begin))
        ++begin;
    while (end > begin && IsBlank(end[-1]))
        --end;
    return QByteArray(begin, end - begin);
}

QByteArray Unquoted(const QByteArray& value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

// Names are nearly always ASCII; only others need the GBK decoder.
QString Name(const QByteArray& bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return GbkToQString(bytes).toCaseFolded();
    }
    return QString::fromLatin1(bytes).toCaseFolded();
}

} // namespace

CProfileFile::CProfileFile(const QByteArray& bytes)
{
    const char* p = bytes.constData();
    const char* const end = p + bytes.size();
    Section* current = nullptr;
    while (p < end) {
        const char* lineEnd = p;
        while (lineEnd < end && *lineEnd != '\n')
            ++lineEnd;
        const QByteArray line = Trimmed(p, lineEnd);
        p = lineEnd < end ? lineEnd + 1 : end;
        if (line.isEmpty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            const qsizetype close = line.indexOf(']');
            const QByteArray name = close < 0 ? line.mid(1) : line.mid(1, close - 1);
            const QByteArray trimmed = Trimmed(name.constData(), name.constData() + name.size());
            m_sections.push_back({Name(trimmed), {}});
            current = &m_sections.back();
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!current || equals < 0)
            continue;
        const QByteArray key = Trimmed(line.constData(), line.constData() + equals);
        const QByteArray value =
            Trimmed(line.constData() + equals + 1, line.constData() + line.size());
        current->entries.push_back({Name(key), Unquoted(value)});
    }
}

CProfileFile CProfileFile::Load(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return CProfileFile(file.readAll());
}

const CProfileFile::Entry* CProfileFile::Find(const QString& section, const QString& key) const
{
    const QString sectionName = section.toCaseFolded();
    const QString keyName = key.toCaseFolded();
    for (const Section& s : m_sections) {
        if (s.name != sectionName)
            continue;
        // Only the first section of a name counts, as with the desktop's reader.
        for (const Entry& e : s.entries) {
            if (e.key == keyName)
                return &e;
        }
        return nullptr;
    }
    return nullptr;
}

QByteArray CProfileFile::GetBytes(const QString& section, const QString& key) const
{
    const Entry* entry = Find(section, key);
    return entry ? entry->value : QByteArray();
}

QString CProfileFile::GetString(const QString& section, const QString& key) const
{
    return GbkToQString(GetBytes(section, key));
}

int CProfileFile::GetInt(const QString& section, const QString& key, int def) const
{
    const QByteArray value = GetBytes(section, key);
    if (value.isEmpty())
        return def;
    const char* p = value.constData();
    const char* const end = p + value.size();
    while (p < end && IsBlank(*p))
        ++p;
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+'))
        negative = *p++ == '-';
    int64_t magnitude = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > int64_t(INT_MAX) + 1)
            magnitude = int64_t(INT_MAX) + 1;
    }
    const int64_t result = negative ? -magnitude : magnitude;
    return static_cast<int>(result > INT_MAX ? INT_MAX : result);
}

QString ReadProfileString(const QString& section, const QString& key, const QString& path)
{
    return CProfileFile::Load(path).GetString(section, key);
}

int ReadProfileInt(const QString& section, const QString& key, int def, const QString& path)
{
    return CProfileFile::Load(path).GetInt(section, key, def);
}
