#include "editor/SaveFileCheck.h"

#include "audio/AudioSaver.h"
#include "audio/SaveOptions.h"

#include <QDir>
#include <QFileInfo>

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

QString ResolveTypedPath(const QString& folder, const QString& typed)
{
    QString path = typed;
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
        path = QDir::homePath() + path.mid(1);
    return QDir::cleanPath(QDir(folder).absoluteFilePath(path));
}

SaveCheck CheckSaveFileName(const SaveChoice& choice)
{
    SaveCheck check;
    if (choice.name.isEmpty())
        return check;
    // The path must end in a name: "..", "." or a trailing '/' name folders.
    const QString typedName = choice.name.section(u'/', -1);
    const QString path = ResolveTypedPath(choice.folder, choice.name);
    if (!IsBareFileName(typedName) || !IsBareFileName(QFileInfo(path).fileName())) {
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
    // The file the save will write, so that whoever asks before replacing a
    // file asks about this one.
    SaveOptions options;
    options.saveType = check.saveType;
    options.outputPath = path;
    check.path = AudioSaver::OutputPath(options);
    return check;
}
