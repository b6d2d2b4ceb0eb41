#include "publish/RingNameRules.h"

#include "platform/FileNameRules.h"
#include "platform/TextCoding.h"

#include <string>

namespace RingNameRules {

QString Trimmed(const QString& name)
{
    return name.trimmed();
}

QString Problem(const QString& trimmed, const QString& emptyMessage)
{
    if (trimmed.isEmpty())
        return emptyMessage;
    std::string gbk;
    WideToGbk(gbk, trimmed);
    if (gbk.size() > static_cast<size_t>(kMaxGbkBytes))
        return QStringLiteral("铃音名称太长，铃音名称应该少于32个中文字符！");
    // The name becomes a file in the ring library: it must stay a name there.
    if (!FileNameRules::IsPlainName(trimmed) || trimmed.startsWith(u'.'))
        return QStringLiteral("铃音名称不能包含 \\ / \" 、“..”或控制字符，也不能以“.”开头！");
    return QString();
}

} // namespace RingNameRules
