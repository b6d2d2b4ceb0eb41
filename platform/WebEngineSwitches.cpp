#include "platform/WebEngineSwitches.h"

#include <QList>

#include <unistd.h>

void WebEngineSwitches::Prepare()
{
    const QByteArray flags = qgetenv(kVariable);
    const QByteArray wanted = FlagsFor(flags, ::geteuid() == 0);
    if (wanted != flags)
        qputenv(kVariable, wanted);
}

QByteArray WebEngineSwitches::FlagsFor(const QByteArray& flags, bool root)
{
    if (!root)
        return flags;
    // Chromium takes a switch with one dash or two.
    for (const QByteArray& word : flags.simplified().split(' ')) {
        if (word == kNoSandbox || word == QByteArray(kNoSandbox).mid(1))
            return flags;
    }
    const QByteArray kept = flags.trimmed();
    return kept.isEmpty() ? QByteArray(kNoSandbox) : kept + ' ' + kNoSandbox;
}
