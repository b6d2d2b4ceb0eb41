#include "publish/DownloadLink.h"

#include "platform/FileNameRules.h"
#include "platform/TextCoding.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

constexpr int kMaxNameLength = 120;

// "scheme:" at the start, where what follows the ':' is not a port number.
bool NamesOtherScheme(const QString& url)
{
    static const QRegularExpression scheme("^([A-Za-z][A-Za-z0-9+.-]*):(.?)");
    const QRegularExpressionMatch match = scheme.match(url);
    if (!match.hasMatch())
        return false;
    const QString name = match.captured(1).toLower();
    if (name == "http" || name == "https")
        return false;
    const QString next = match.captured(2);
    return next.isEmpty() || !next.at(0).isDigit();
}

} // namespace

QString DownloadLink::PlainName(const QString& raw)
{
    QString text;
    for (const QChar c : raw) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c == u'"' ||
            c.category() == QChar::Other_Control)
            continue;
        text.append(c);
    }
    QStringList kept;
    for (QString part : text.split(QRegularExpression("[/\\\\]"), Qt::SkipEmptyParts)) {
        part = part.trimmed();
        while (part.contains(".."))
            part.replace("..", ".");
        if (!part.isEmpty() && part != ".")
            kept.append(part);
    }
    QString name = kept.join(u'_');
    // A leading dot would hide the file; blanks around a name are no part of it.
    while (!name.isEmpty() && (name.front() == u'.' || name.front().isSpace()))
        name.remove(0, 1);
    if (name.size() > kMaxNameLength) {
        name.truncate(kMaxNameLength);
        if (name.back().isHighSurrogate())
            name.chop(1);
    }
    name = name.trimmed();
    return FileNameRules::IsPlainName(name) ? name : QString();
}

DownloadLink DownloadLink::Parse(const QString& link)
{
    DownloadLink result;
    if (!link.startsWith(QLatin1String(kPrefix)))
        return result;
    QString text = link.mid(static_cast<int>(std::char_traits<char>::length(kPrefix)));
    text.replace("http//", "http://");

    QString url = text;
    QString name;
    const int amp = static_cast<int>(text.lastIndexOf(u'&'));
    if (amp >= 0) {
        url = text.left(amp);
        const int equals = static_cast<int>(text.lastIndexOf(u'='));
        name = equals >= 0 ? text.mid(equals + 1) : text;
    } else {
        const int slash = static_cast<int>(text.lastIndexOf(u'/'));
        name = slash >= 0 ? text.mid(slash + 1) : text;
    }
    if (NamesOtherScheme(url.trimmed()))
        return result;
    const QByteArray encoded = name.toUtf8();
    const std::string gbk = UrlDecodeUtf8(std::string_view(encoded.data(), encoded.size()));
    result.name = PlainName(GbkToQString(QByteArrayView(gbk.data(), gbk.size())));
    result.url = url.trimmed().toStdString();
    result.valid = !result.url.empty();
    return result;
}
