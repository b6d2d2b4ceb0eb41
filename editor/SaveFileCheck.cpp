#include "editor/SaveFileCheck.h"

#include "audio/SaveOptions.h"

#include <QDir>

bool IsBareFileName(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (c == u'/' || c == u'\\' || c == u'"' || c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

SaveCheck CheckSaveFileName(const SaveChoice& choice)
{
    SaveCheck check;
    if (choice.name.isEmpty())
        return check;
    // The name becomes a file in the chosen folder, never a path of its own.
    if (!IsBareFileName(choice.name)) {
        check.message = QStringLiteral("文件名无效：文件名中不能含有“/”、“\\”、双引号或控制字符，"
                                       "也不能是“.”或“..”。");
        return check;
    }

    const bool mp3 = choice.filterIndex == 1;
    const bool ringFormat = !mp3 && choice.templateIndex == 1;
    check.saveType = mp3          ? SaveOptions::kMp3
                     : ringFormat ? SaveOptions::kRingWav
                                  : SaveOptions::kWav;
    check.selectedPart = choice.selectedPart ? 1 : 0;

    if (ringFormat) {
        const int limitSeconds = kRingFormatLimitMs / 1000;
        if (choice.selectedPart && choice.selectionMs > kRingFormatLimitMs) {
            check.message =
                QStringLiteral(
                    "选择彩铃格式时，音频的长度不能超过%1秒，当前选择区的音频长度为:%2秒")
                    .arg(limitSeconds)
                    .arg(choice.selectionMs / 1000);
            return check;
        }
        if (!choice.selectedPart && choice.totalMs > kRingFormatLimitMs) {
            check.message =
                QStringLiteral("选择彩铃格式时，音频的长度不能超过%1秒，当前总的音频长度为:%2秒")
                    .arg(limitSeconds)
                    .arg(choice.totalMs / 1000);
            return check;
        }
    }
    check.accepted = true;
    check.path = QDir(choice.folder).filePath(choice.name);
    return check;
}
