#include "platform/CommandLine.h"

namespace {
// Returns the switch name without its prefix, or an empty text when the word
// carries no switch prefix.
QString StripSwitchPrefix(const QString& word)
{
    if (word.startsWith(QLatin1String("--")))
        return word.mid(2);
    if (word.startsWith(u'-') || word.startsWith(u'/'))
        return word.mid(1);
    return QString();
}
} // namespace

CommandLine CommandLine::Parse(const QStringList& args)
{
    CommandLine result;
    for (const QString& word : args) {
        const QString name = StripSwitchPrefix(word);
        if (name.compare(QLatin1String("Regserver"), Qt::CaseInsensitive) == 0) {
            result.command = Command::Register;
        } else if (name.compare(QLatin1String("Unregserver"), Qt::CaseInsensitive) == 0) {
            result.command = Command::Unregister;
        } else if (name.compare(QLatin1String("Embedding"), Qt::CaseInsensitive) == 0) {
            result.embedding = true;
        } else if (name.compare(QLatin1String("Automation"), Qt::CaseInsensitive) == 0) {
            result.automation = true;
        } else if (word.startsWith(u'-') || word.isEmpty()) {
            continue;
        } else if (result.fileName.isEmpty()) {
            result.fileName = word;
            if (result.command == Command::FileNew)
                result.command = Command::FileOpen;
        }
    }
    return result;
}
