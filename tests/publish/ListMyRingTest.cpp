#include "platform/IQuestionBox.h"
#include "publish/ListMyRing.h"
#include "publish/PromptDialog.h"
#include "publish/RingJobGlobals.h"
#include "tests/publish/ServiceTestSupport.h"
#include "tests/support/ScriptedQuestions.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

struct RingList : testing::Test
{
    RingList()
    {
        folder = TestEnvironment::Home() + "/MyRing/";
        QDir().mkpath(folder);
        list.Init();
        list.SetRingFolder(folder);
        questions.yes = true;
        list.SetQuestionBox(&questions);
        list.SetMessageSink(&sink);
        list.resize(240, 300);
        list.show();
    }
    void Ring(const QString& name, const QString& fileName = QString())
    {
        QFile file(folder + (fileName.isEmpty() ? name + ".kox" : fileName));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("ring " + name.toUtf8());
        list.AddRing(name, fileName);
    }
    QPoint RowPoint(int row) const { return list.visualItemRect(list.item(row)).center(); }
    // Right-clicks a row, so the menu's commands act on it.
    void Remember(int row) { ASSERT_TRUE(list.PrepareContextMenu(RowPoint(row))); }
    QStringList Files() const
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QStringList Names() const
    {
        QStringList names;
        for (int i = 0; i < list.count(); ++i)
            names << list.RingName(i);
        return names;
    }
    // Renames row 0 answering with text (nullptr: Cancel).
    void Rename(const char* text)
    {
        list.SetPromptRunner([text](CPromptDialog& dialog) {
            EXPECT_EQ(dialog.Prompt(), QStringLiteral("请输入新的文件名称："));
            if (text)
                dialog.SetValue(QString::fromUtf8(text));
            return text != nullptr;
        });
        Remember(0);
        list.OnRingRename();
    }

    QString folder;
    ScriptedQuestions questions;
    RecordingMessageSink sink;
    CListMyRing list;
};

TEST_F(RingList, MenuOnRowsOnlyWithUploadGreyedWhileARingJobRuns)
{
    Ring("一");
    EXPECT_EQ(list.PrepareContextMenu(QPoint(100, 280)), nullptr) << "empty space: no menu";
    QMenu* menu = list.PrepareContextMenu(RowPoint(0));
    ASSERT_TRUE(menu);
    EXPECT_TRUE(list.MenuAction(CListMyRing::Command::Upload)->isEnabled());
    g_bRingJobBusy = 1;
    list.PrepareContextMenu(RowPoint(0));
    g_bRingJobBusy = 0;
    EXPECT_FALSE(list.MenuAction(CListMyRing::Command::Upload)->isEnabled());
    for (auto command :
         {CListMyRing::Command::Edit, CListMyRing::Command::Delete, CListMyRing::Command::Rename})
        EXPECT_TRUE(list.MenuAction(command)->isEnabled());
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << action->text();
    EXPECT_EQ(texts, QStringList({"上传", "编辑", "", "删除", "重命名"}));
}

TEST_F(RingList, UploadEditAndDoubleClickHandOnTheRealFile)
{
    Ring("Song", "Song.KOX");
    QStringList uploads;
    QStringList opened;
    list.SetUploadHandler(
        [&](const QString& name, const QString& path) { uploads << name << path; });
    list.SetOpenHandler([&](const QString& path) { opened << path; });
    Remember(0);
    list.MenuAction(CListMyRing::Command::Upload)->trigger();
    list.MenuAction(CListMyRing::Command::Edit)->trigger();
    emit list.itemDoubleClicked(list.item(0));
    EXPECT_EQ(uploads, QStringList({"Song", folder + "Song.KOX"}));
    EXPECT_EQ(opened, QStringList({folder + "Song.KOX", folder + "Song.KOX"}));

    const std::unique_ptr<QMimeData> data = list.DragData(0);
    ASSERT_TRUE(data);
    ASSERT_EQ(data->urls().size(), 1);
    EXPECT_EQ(data->urls().first().toLocalFile(), folder + "Song.KOX");

    // Spaces and Chinese survive the URI list, read back as a file manager would.
    Ring("我的 铃声 #1", "我的 铃声 #1.kox");
    const std::unique_ptr<QMimeData> spaced = list.DragData(1);
    ASSERT_TRUE(spaced);
    const QByteArray uriList = spaced->data("text/uri-list");
    EXPECT_FALSE(uriList.contains(' '));
    EXPECT_EQ(QUrl::fromEncoded(uriList.trimmed()).toLocalFile(), folder + "我的 铃声 #1.kox");
}

TEST_F(RingList, DeletingSeveralAsksOnceWithTheCount)
{
    for (const char* name : {"a", "b", "c", "d"})
        Ring(name);
    for (int row : {0, 2, 3})
        list.item(row)->setSelected(true);
    questions.okAnswers = {false};
    list.OnRingDelete();
    EXPECT_EQ(Files().size(), 4) << "Cancel deletes nothing";
    list.OnRingDelete();
    EXPECT_EQ(questions.asked, QStringList(2, "您确定要将所选的 3 项铃音删除吗"));
    EXPECT_EQ(Names(), QStringList({"b"}));
    EXPECT_EQ(Files(), QStringList({"b.kox"}));
}

TEST_F(RingList, DeletingOneAsksWithItsNameAndKeepsARowWhoseFileStays)
{
    Ring("Song", "Song.KOX");
    Ring("stuck");
    // A folder named like a ring cannot be removed as a file.
    QDir().mkpath(folder + "stuck.kox.d");
    QFile::remove(folder + "stuck.kox");
    QDir().rename(folder + "stuck.kox.d", folder + "stuck.kox");
    QFile(folder + "stuck.kox/inside").open(QIODevice::WriteOnly);

    Remember(0);
    list.OnRingDelete();
    EXPECT_EQ(questions.asked.last(), QStringLiteral("您确定要将铃音：『Song』 删除吗?"));
    EXPECT_FALSE(QFile::exists(folder + "Song.KOX")) << "the real file name is deleted";
    Remember(0);
    list.OnRingDelete();
    EXPECT_EQ(Names(), QStringList({"stuck"}));
    EXPECT_EQ(sink.messages, QStringList({"铃音『stuck』删除失败！"}));
}

TEST_F(RingList, RenameRules)
{
    struct Case
    {
        const char* answer; // nullptr: Cancel
        QString name;       // the row's text afterwards
        QStringList files;
        QString message;
    };
    const Case cases[] = {
        {nullptr, "Old", {"Old.KOX", "Taken.kox"}, ""},
        {"  Old  ", "Old", {"Old.KOX", "Taken.kox"}, ""},
        {"   ", "Old", {"Old.KOX", "Taken.kox"}, "文件名不能为空！"},
        {".KoX", "Old", {"Old.KOX", "Taken.kox"}, "文件名不能为空！"},
        {"Taken.KOX", "Old", {"Old.KOX", "Taken.kox"}, "『Taken』已经存在！"},
        {"../escape", "Old", {"Old.KOX", "Taken.kox"}, "bad"},
        {"a/b", "Old", {"Old.KOX", "Taken.kox"}, "bad"},
        {"tab\there", "Old", {"Old.KOX", "Taken.kox"}, "bad"},
        {".hidden", "Old", {"Old.KOX", "Taken.kox"}, "bad"},
        {"新名.KOX", "新名", {"Taken.kox", "新名.kox"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer ? c.answer : "(cancel)");
        for (const QString& file : Files())
            QFile::remove(folder + file);
        list.clear();
        sink.messages.clear();
        Ring("Old", "Old.KOX");
        Ring("Taken");
        Rename(c.answer);
        EXPECT_EQ(list.RingName(0), c.name);
        EXPECT_EQ(Files(), c.files);
        if (c.message == "bad") {
            ASSERT_EQ(sink.messages.size(), 1);
            EXPECT_TRUE(sink.messages[0].startsWith("文件名不能包含")) << sink.messages[0];
        } else {
            EXPECT_EQ(sink.messages, c.message.isEmpty() ? QStringList() : QStringList(c.message));
        }
    }
    // The renamed row now names its new file.
    EXPECT_EQ(list.RingPath(0), folder + "新名.kox");
}

} // namespace
