// The main dialog's lists as it builds and fills them, and the about box the
// system menu opens.
#include "tests/simple/KelvoFixture.h"

#include "publish/ListMyRing.h"
#include "publish/PromptDialog.h"
#include "simple/AboutDlg.h"
#include "simple/ListResourceCtrl.h"
#include "simple/MyHyperLink.h"
#include "platform/DlgCtrlId.h"
#include "skin/SkinWin.h"
#include "skin/TabCtrl.h"
#include "voice/Brevanta.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QProcess>
#include <QTest>
#include <QToolTip>
#include <QTreeWidget>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct KelvoLists : KelvoFixture
{
    static QString Materials() { return TestEnvironment::DataHome() + "/VazoZedu/TempFiles/"; }
    static QString MyRing() { return TestEnvironment::DataHome() + "/VazoZedu/MyRing/"; }
    static void Put(const QString& folder, const QString& name, const QByteArray& bytes = "x")
    {
        QDir().mkpath(folder);
        QFile file(folder + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    CListResourceCtrl* List() const { return Dlg()->Materials(); }
    QStringList Rows() const
    {
        QStringList rows;
        for (int i = 0; i < List()->count(); ++i)
            rows << List()->RingName(i);
        return rows;
    }
    QStringList Files() const
    {
        return QDir(Materials()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QPoint RowPoint(int row) const { return List()->visualItemRect(List()->item(row)).center(); }
    void Remember(int row) { ASSERT_TRUE(List()->PrepareContextMenu(RowPoint(row))); }
    // Renames row 0 answering with text.
    void Rename(int row, const QString& text)
    {
        List()->SetPromptRunner([text](CPromptDialog& dialog) {
            EXPECT_EQ(dialog.Prompt(), QStringLiteral("请输入新的文件名称："));
            dialog.SetValue(text);
            return true;
        });
        Remember(row);
        List()->OnRename();
    }
};

TEST_F(KelvoLists, TheListsShowTheRingFilesOfTheirFoldersOneTabEach)
{
    Put(Materials(), "a.kox");
    Put(Materials(), "B.KOX");
    Put(Materials(), ".h.kox");
    Put(Materials(), "c.wav");
    Put(MyRing(), "我的铃音.kox");
    ASSERT_EQ(Start(), CKelvoApp::Start::Run);
    EXPECT_EQ(Rows(), (QStringList{"a", "B"}));
    EXPECT_EQ(List()->RingPath(1), Materials() + "B.KOX") << "each row keeps its file's name";
    ASSERT_EQ(Dlg()->RingLibrary()->count(), 1);
    EXPECT_EQ(Dlg()->RingLibrary()->RingName(0), QStringLiteral("我的铃音"));

    CTabCtrl* tab = Dlg()->Tab();
    ASSERT_EQ(tab->GetItemCount(), 3);
    EXPECT_EQ(tab->GetItemText(0), QStringLiteral("已下载素材"));
    EXPECT_EQ(tab->GetItemText(1), QStringLiteral("我的铃音库"));
    EXPECT_EQ(tab->GetItemText(2), QStringLiteral("音乐下载任务"));
    QWidget* lists[3] = {Dlg()->Materials(), Dlg()->RingLibrary(), Dlg()->DownloadList()};
    for (int page = 0; page < 3; ++page) {
        tab->SetCurSel(page);
        tab->NotifySelChange();
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(lists[i]->isVisible(), i == page) << "page " << page << " list " << i;
        EXPECT_EQ(lists[page]->parentWidget(), tab);
        EXPECT_TRUE(tab->rect().contains(lists[page]->geometry())) << page;
        EXPECT_GT(lists[page]->geometry().top(), tab->GetItemRect(0).bottom()) << page;
    }
}

TEST_F(KelvoLists, RenameRules)
{
    Put(Materials(), "a.kox", "A");
    Put(Materials(), "B.KOX", "B");
    ASSERT_EQ(Start(), CKelvoApp::Start::Run);
    struct Case
    {
        const char* answer;
        const char* message; // nullptr: renamed
        QStringList rows;
        QStringList files;
    };
    const Case cases[] = {
        {"B", "『B』已经存在！", {"a", "B"}, {"B.KOX", "a.kox"}},
        // The twin's extension in another case is the same material.
        {"B.kox", "『B』已经存在！", {"a", "B"}, {"B.KOX", "a.kox"}},
        {"   ", "文件名不能为空！", {"a", "B"}, {"B.KOX", "a.kox"}},
        {"a/b",
         "文件名不能包含 \\ / \" 、“..”或控制字符，也不能以“.”开头！",
         {"a", "B"},
         {"B.KOX", "a.kox"}},
        {"..",
         "文件名不能包含 \\ / \" 、“..”或控制字符，也不能以“.”开头！",
         {"a", "B"},
         {"B.KOX", "a.kox"}},
        {" 新名.KOX ", nullptr, {"新名", "B"}, {"B.KOX", "新名.kox"}},
    };
    for (const Case& c : cases) {
        messages.messages.clear();
        Rename(0, QString::fromUtf8(c.answer));
        const QStringList expected =
            c.message ? QStringList{QString::fromUtf8(c.message)} : QStringList{};
        EXPECT_EQ(messages.messages, expected) << c.answer;
        EXPECT_EQ(Rows(), c.rows) << c.answer;
        EXPECT_EQ(Files(), c.files) << c.answer;
    }
    QFile renamed(List()->RingPath(0));
    ASSERT_TRUE(renamed.open(QIODevice::ReadOnly));
    EXPECT_EQ(renamed.readAll(), "A");
}

TEST_F(KelvoLists, DeletingThreeAsksOnceAndRemovesTheirFiles)
{
    for (const char* name : {"a.kox", "b.kox", "C.KOX", "d.kox"})
        Put(Materials(), name);
    ASSERT_EQ(Start(), CKelvoApp::Start::Run);
    questions.yes = true;
    for (int row : {0, 1, 2})
        List()->item(row)->setSelected(true);
    Remember(2);
    List()->OnDelete();
    EXPECT_EQ(questions.asked, QStringList{QStringLiteral("您确定要将所选的 3 项音乐素材删除吗")});
    EXPECT_EQ(Rows(), QStringList{"d"});
    EXPECT_EQ(Files(), QStringList{"d.kox"});

    // One row: asked with its name.
    questions.asked.clear();
    List()->clearSelection();
    Remember(0);
    List()->OnDelete();
    EXPECT_EQ(questions.asked, QStringList{QStringLiteral("您确定要将音乐素材：『d』 删除吗?")});
    EXPECT_TRUE(Rows().isEmpty());
}

TEST_F(KelvoLists, FilesThatStayKeepTheirRowsAndTheUserIsTold)
{
    for (const char* name : {"a.kox", "b.kox", "c.kox"})
        Put(Materials(), name);
    ASSERT_EQ(Start(), CKelvoApp::Start::Run);
    questions.yes = true;
    // A folder that refuses the deletes: read-only for a user; for root, who
    // may delete anyway, each file is replaced by a folder, which no file
    // delete removes.
    const bool root = geteuid() == 0;
    for (const char* name : {"a.kox", "b.kox", "c.kox"}) {
        if (root) {
            ASSERT_TRUE(QFile::remove(Materials() + name));
            Put(Materials() + name + "/", "inside");
        }
    }
    if (!root) {
        ASSERT_EQ(chmod(Materials().toUtf8().constData(), 0555), 0);
    }
    List()->selectAll();
    Remember(0);
    List()->OnDelete(); // returns although no file goes
    if (!root)
        chmod(Materials().toUtf8().constData(), 0755);
    EXPECT_EQ(questions.asked.size(), 1);
    EXPECT_EQ(Rows(), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(QDir(Materials()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name),
              (QStringList{"a.kox", "b.kox", "c.kox"}));
    EXPECT_EQ(messages.messages, (QStringList{QStringLiteral("音乐素材『a』删除失败！"),
                                              QStringLiteral("音乐素材『b』删除失败！"),
                                              QStringLiteral("音乐素材『c』删除失败！")}));
    EXPECT_TRUE(List()->selectedItems().isEmpty());
}

TEST_F(KelvoLists, EditingAMaterialLoadsItIntoTheEditorUnlessAJobRuns)
{
    // A material as the service sends them: a WAV stored as ".kox".
    const QString wav = TestEnvironment::Home() + "/tone.wav";
    QProcess sox;
    sox.start("sox",
              {"-n", "-r", "8000", "-c", "1", "-b", "16", wav, "synth", "2", "sine", "440"});
    ASSERT_TRUE(sox.waitForFinished(10000));
    ASSERT_EQ(sox.exitCode(), 0);
    QDir().mkpath(Materials());
    ASSERT_TRUE(QFile::copy(wav, Materials() + "Tone.KOX"));
    ASSERT_EQ(Start(), CKelvoApp::Start::Run);
    ASSERT_EQ(Rows(), QStringList{"Tone"});

    // While a job runs the command is greyed and a double-click does nothing.
    Dlg()->BusyFlag() = true;
    QMenu* menu = List()->PrepareContextMenu(RowPoint(0));
    ASSERT_TRUE(menu);
    QAction* edit = List()->MenuAction(CListResourceCtrl::Command::EditAsRing);
    EXPECT_EQ(edit->text(), QStringLiteral("编辑为彩铃"));
    EXPECT_FALSE(edit->isEnabled());
    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, RowPoint(0));
    EXPECT_FALSE(Dlg()->Editor()->IsOpening());
    Dlg()->BusyFlag() = false;
    List()->PrepareContextMenu(RowPoint(0));
    EXPECT_TRUE(edit->isEnabled());
    EXPECT_EQ(List()->PrepareContextMenu(QPoint(5, List()->viewport()->height() - 3)), nullptr)
        << "no menu off the rows";

    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, RowPoint(0));
    ASSERT_TRUE(TestEnvironment::WaitFor(
        [&] {
            return Dlg()->Editor()->GetMusicPath() == Materials() + "Tone.KOX" &&
                   Dlg()->Editor()->IsMusicLoaded() && !Dlg()->Editor()->IsOpening();
        },
        20000));
    QTest::qWait(50);
    // The dialog followed: the song's length and format in its information.
    EXPECT_EQ(Dlg()->Editor()->GetMusicLength(), 2000u);
}

TEST_F(KelvoLists, TheAboutBoxFromTheSystemMenu)
{
    ASSERT_EQ(Start(), CKelvoApp::Start::Run);
    CSkinWin* skin = CSkinWin::Of(Dlg());
    ASSERT_TRUE(skin);
    QAction* item = nullptr;
    for (QAction* action : skin->SystemMenu()->actions()) {
        if (action->text() == QStringLiteral("关于 Kelvo(&A)..."))
            item = action;
    }
    ASSERT_TRUE(item);
    bool ran = false;
    Dlg()->SetAboutRunner([&](CAboutDlg& about) {
        ran = true;
        EXPECT_EQ(about.windowTitle(), QStringLiteral("关于Varenth彩铃Zuvo"));
        CMyHyperLink* link = about.Link();
        EXPECT_EQ(link->text(), QStringLiteral("Varenth彩铃Zuvo，1.0版"));
        EXPECT_EQ(link->CurrentColor(), 0x800000u);
        EXPECT_EQ(link->ToolTipBkColor(), 0xC3F4F7u);
        EXPECT_EQ(link->ToolTipTextColor(), 0x800000u);
        about.show();
        QHelpEvent tip(QEvent::ToolTip, QPoint(2, 2), link->mapToGlobal(QPoint(2, 2)));
        QCoreApplication::sendEvent(link, &tip);
        EXPECT_EQ(QToolTip::text(), QStringLiteral("打开Varenth彩铃Zuvo网站"));
        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(3, 3));
        ASSERT_EQ(urls.opened.size(), 1);
        EXPECT_EQ(urls.opened[0].scheme(), "http");
        EXPECT_TRUE(link->IsVisited());
        EXPECT_EQ(link->CurrentColor(), 0xFF0000u) << "the visited colour, and it stays";
        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(3, 3));
        EXPECT_EQ(link->CurrentColor(), 0xFF0000u);
        EXPECT_EQ(urls.opened.size(), 2);
    });
    item->trigger();
    EXPECT_TRUE(ran);
}

TEST(MyHyperLink, NotifyingTheParentOpensNothingAndAnEmptyAddressNothingEither)
{
    RecordingUrls urls;
    CMyHyperLink link;
    link.SetUrlOpener(&urls);
    link.setText("x");
    link.SetNotifyParent(true);
    int clicked = -1;
    QObject::connect(&link, &CMyHyperLink::linkClicked, [&](int id) { clicked = id; });
    SetDlgCtrlID(&link, 1059);
    link.SetURL("http://example.invalid/");
    link.OnClicked();
    EXPECT_EQ(clicked, 1059);
    EXPECT_TRUE(urls.opened.isEmpty());
    EXPECT_TRUE(link.IsVisited());

    CMyHyperLink empty;
    empty.SetUrlOpener(&urls);
    empty.OnClicked();
    EXPECT_TRUE(urls.opened.isEmpty());
    EXPECT_TRUE(empty.IsVisited());
    // The default colours: link blue, hover red, visited 0x8F2205.
    CMyHyperLink fresh;
    EXPECT_EQ(fresh.CurrentColor(), 0xFF0000u);
}

} // namespace
