#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// A theme file read the way the desktop's private-profile functions read INI
// files: section and key names match without regard to case, the first
// matching section and the first matching key in it win, names and values are
// trimmed, one pair of enclosing quotes (" or ') is removed from a value, and
// nothing else is interpreted (no escapes, no inline comments: a backslash or a
// ';' inside a value is part of it). Lines starting with ';' are comments.
// Lines are GBK text. Nothing ever writes a theme file. Any thread; the object
// is immutable after construction.
class CProfileFile
{
public:
    CProfileFile() = default;
    // Parses the bytes of an INI file.
    explicit CProfileFile(const QByteArray& bytes);

    // The file at path; a file that does not exist or cannot be read (or is not
    // a regular file) gives an empty profile, so every key reads as absent.
    static CProfileFile Load(const QString& path);

    // The value, decoded from GBK; empty when the key is absent or its value is
    // empty (the two are the same to every reader).
    QString GetString(const QString& section, const QString& key) const;
    // The value's bytes as the file holds them.
    QByteArray GetBytes(const QString& section, const QString& key) const;
    // The value as a decimal integer: def when the key is absent or empty;
    // otherwise leading blanks, an optional sign and the digits that follow
    // (text that is not a number gives 0). Values beyond the int range are
    // held at its ends.
    int GetInt(const QString& section, const QString& key, int def) const;

private:
    // Names are kept case-folded.
    struct Entry
    {
        QString key;
        QByteArray value;
    };
    struct Section
    {
        QString name;
        std::vector<Entry> entries;
    };

    const Entry* Find(const QString& section, const QString& key) const;

    std::vector<Section> m_sections;
};

// One-call readers over a theme file by path, for loaders that read a few keys.
QString ReadProfileString(const QString& section, const QString& key, const QString& path);
int ReadProfileInt(const QString& section, const QString& key, int def, const QString& path);
