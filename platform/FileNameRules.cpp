#include "platform/FileNameRules.h"

namespace FileNameRules {

bool IsPlainName(const QString& name)
{
    if (name.isEmpty() || name.contains(QStringLiteral("..")))
        return false;
    for (const QChar c : name) {
        if (c == u'/' || c == u'\\' || c == u'"' || c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

} // namespace FileNameRules
