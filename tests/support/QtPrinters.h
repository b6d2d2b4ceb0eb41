#pragma once

#include <QByteArray>
#include <QString>

#include <ostream>

// Lets GoogleTest print Qt texts in failure messages.
inline std::ostream& operator<<(std::ostream& out, const QString& text)
{
    return out << '"' << text.toStdString() << '"';
}
inline std::ostream& operator<<(std::ostream& out, const QByteArray& bytes)
{
    return out << '"' << bytes.toStdString() << '"';
}
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << text;
}
inline void PrintTo(const QByteArray& bytes, std::ostream* out)
{
    *out << bytes;
}
