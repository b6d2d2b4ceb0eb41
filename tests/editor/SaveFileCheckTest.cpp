#include "editor/SaveFileCheck.h"
#include "audio/SaveOptions.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

const QString kInvalidName =
    QStringLiteral("文件名无效：文件名中不能含有“/”、“\\”、双引号或控制字符，也不能是“.”或“..”。");

TEST(SaveFileCheck, NamesAndTypesLengthsAndMessages)
{
    struct Row
    {
        const char* name;
        int filter;
        int entry;
        bool part;
        int selectionMs;
        int totalMs;
        bool accepted;
        int saveType;
        const char* message;
        const char* path; // the file written, relative to the folder
    };
    const Row table[] = {
        // The type follows the filter and the template entry; typed text counts as entry 0.
        {"a.mp3", 1, 0, false, 0, 900000, true, SaveOptions::kMp3, "", "a.mp3"},
        {"a.wav", 2, 0, false, 0, 900000, true, SaveOptions::kWav, "", "a.wav"},
        {"a.wav", 2, -1, true, 5000, 900000, true, SaveOptions::kWav, "", "a.wav"},
        {"a", 2, 1, false, 0, 55000, true, SaveOptions::kRingWav, "", "a.wav"},
        {"a", 2, 1, true, 55000, 900000, true, SaveOptions::kRingWav, "", "a.wav"},
        // The ring format's 55 s, in whole seconds with the remainder dropped.
        {"a", 2, 1, true, 55001, 1000, false, 0,
         "选择彩铃格式时，音频的长度不能超过55秒，当前选择区的音频长度为:55秒", ""},
        {"a", 2, 1, true, 61999, 1000, false, 0,
         "选择彩铃格式时，音频的长度不能超过55秒，当前选择区的音频长度为:61秒", ""},
        {"a", 2, 1, false, 1000, 120500, false, 0,
         "选择彩铃格式时，音频的长度不能超过55秒，当前总的音频长度为:120秒", ""},
        // The path is the file the save writes, extension rules applied.
        {"mix", 1, 0, false, 0, 1000, true, SaveOptions::kMp3, "", "mix.mp3"},
        {"mix.wav", 1, 0, false, 0, 1000, true, SaveOptions::kMp3, "", "mix.wav.mp3"},
        {"MIX.WAV", 2, 0, false, 0, 1000, true, SaveOptions::kWav, "", "MIX.WAV"},
        {"铃声 (1).wav", 2, 0, false, 0, 1000, true, SaveOptions::kWav, "", "铃声 (1).wav"},
        {"..a..wav", 2, 0, false, 0, 1000, true, SaveOptions::kWav, "", "..a..wav"},
        // Typed paths are taken as file dialogs take them; only the last name is checked.
        {"../a.wav", 2, 0, false, 0, 1000, true, SaveOptions::kWav, "", "../a.wav"},
        {"sub/./../b", 2, 0, false, 0, 1000, true, SaveOptions::kWav, "", "b.wav"},
        {"/tmp/out/mix", 2, 0, false, 0, 1000, true, SaveOptions::kWav, "", "/tmp/out/mix.wav"},
        {"sub\\a.wav", 1, 0, false, 0, 1000, false, 0, "invalid", ""},
        {"..", 2, 0, false, 0, 1000, false, 0, "invalid", ""},
        {".", 2, 0, false, 0, 1000, false, 0, "invalid", ""},
        {"sub/", 2, 0, false, 0, 1000, false, 0, "invalid", ""},
        {"sub/..", 2, 0, false, 0, 1000, false, 0, "invalid", ""},
        {"a\"b.wav", 2, 0, false, 0, 1000, false, 0, "invalid", ""},
        {"/tmp/a\nb.wav", 2, 0, false, 0, 1000, false, 0, "invalid", ""},
        {"a\x7f.wav", 2, 0, false, 0, 1000, false, 0, "invalid", ""},
        {"a\u0085.wav", 2, 0, false, 0, 1000, false, 0, "invalid", ""},
        // A bad name is refused before the length is looked at.
        {"x\\y", 2, 1, false, 0, 900000, false, 0, "invalid", ""},
        {"", 2, 0, false, 0, 1000, false, 0, "", ""},
    };
    const QString folder = QStringLiteral("/home/u/音乐");
    for (const Row& row : table) {
        SaveChoice choice;
        choice.filterIndex = row.filter;
        choice.templateIndex = row.entry;
        choice.selectedPart = row.part;
        choice.selectionMs = row.selectionMs;
        choice.totalMs = row.totalMs;
        choice.folder = folder;
        choice.name = QString::fromUtf8(row.name);

        const SaveCheck check = CheckSaveFileName(choice);
        const std::string label = std::string(row.name) + " entry " + std::to_string(row.entry);
        EXPECT_EQ(check.accepted, row.accepted) << label;
        const QString message = QString::fromUtf8(row.message);
        EXPECT_EQ(check.message, message == QLatin1String("invalid") ? kInvalidName : message)
            << label;
        if (row.accepted) {
            EXPECT_EQ(check.saveType, row.saveType) << label;
            EXPECT_EQ(check.selectedPart, row.part ? 1 : 0) << label;
            EXPECT_EQ(check.path,
                      QDir::cleanPath(QDir(folder).absoluteFilePath(QString::fromUtf8(row.path))))
                << label;
        }
    }
}

TEST(SaveFileCheck, TildeStandsForTheHomeFolder)
{
    const QString home = QDir::homePath();
    EXPECT_EQ(ResolveTypedPath("/srv", "~/a"), home + "/a");
    EXPECT_EQ(ResolveTypedPath("/srv", "~"), home);
    EXPECT_EQ(ResolveTypedPath("/srv", "~a"), "/srv/~a") << "a name that starts with '~'";
}

} // namespace
