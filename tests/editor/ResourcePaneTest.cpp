#include "audio/DataFolders.h"
#include "editor/FileComboBox.h"
#include "editor/FileListCtrl.h"
#include "editor/FileTreeCtrl.h"
#include "editor/MainFrame.h"
#include "editor/ResToolBar.h"
#include "editor/ResourceDialog.h"
#include "editor/ResourceView.h"
#include "editor/WaveCtrl.h"
#include "platform/AppSettings.h"
#include "publish/ListMyRing.h"
#include "publish/RingJobGlobals.h"
#include "tests/support/ClipFixtures.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QMenu>
#include <QMimeData>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

using Style = CFileListCtrl::ViewStyle;

void Touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

// Files whose names are not valid UTF-8: the file system's encoding cannot
// carry them into program text, so they are made and removed by their bytes.
struct Undecodables
{
    ~Undecodables()
    {
        for (const QByteArray& path : paths)
            ::unlink(path.constData());
    }
    void Touch(const QString& folder, const char* prefix, const char* suffix = ".mp3")
    {
        const QByteArray path = QFile::encodeName(folder) + '/' + prefix + "\xff\xfe" + suffix;
        const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
        paths << path;
    }
    QList<QByteArray> paths;
};

QString Stored()
{
    return AppSettings().Value(QString::fromLatin1(CFileTreeCtrl::kStoredFolderKey)).toString();
}

struct Browser : testing::Test
{
    Browser()
    {
        music = TestEnvironment::Home() + "/music";
        QDir().mkpath(music + "/sub/deep/deeper");
        QDir().mkpath(music + "/dir.wav");
        for (const char* name : {"a.mp3", "B.MP3", "c.txt", ".wav", "x.Ogg"})
            Touch(music + "/" + name);
        undecodable.Touch(music, "bad");
    }
    // A browser as the pane builds it; waits for the walk to the last folder.
    std::unique_ptr<CResourceDialog> Open()
    {
        auto dialog = std::make_unique<CResourceDialog>();
        dialog->resize(800, 300);
        dialog->show();
        dialog->OnInitDialog();
        EXPECT_TRUE(TestEnvironment::WaitFor([&] { return !dialog->Tree()->IsRestoring(); }));
        return dialog;
    }
    // Selects the folder through the tree, as a user opening it level by level.
    static void Go(CResourceDialog& dialog, const QString& path)
    {
        CFileTreeCtrl* tree = dialog.Tree();
        tree->setCurrentItem(tree->RootItem()->child(0)); // home
        const QStringList parts =
            path.mid(QDir::homePath().size()).split(u'/', Qt::SkipEmptyParts);
        QString at = QDir::homePath();
        for (const QString& part : parts) {
            at += u'/' + part;
            ASSERT_TRUE(TestEnvironment::WaitFor([&] { return tree->SelectChildByPath(at); }))
                << at.toStdString();
        }
    }
    static bool Lists(CResourceDialog& dialog, const QStringList& names)
    {
        const bool listed =
            TestEnvironment::WaitFor([&] { return dialog.List()->Names() == names; });
        EXPECT_EQ(dialog.List()->Names(), names);
        return listed;
    }
    QString music;
    Undecodables undecodable;
};

TEST(FileList, AcceptedFiles)
{
    QFileSystemModel model;
    CFileListCtrl list(&model);
    EXPECT_TRUE(list.IsAcceptedFile("/x/no-extension")) << "no extensions: every file";
    list.SetDefaultExtensions();
    const std::pair<const char*, bool> cases[] = {
        {"/m/a.mp3", true},      {"/m/B.MP3", true},     {"/m/x.Ogg", true}, {"/m/w.wma", true},
        {"/m/.wav", false},      {"/m/c.txt", false},    {"/m/mp3", false},  {"/m/a.b.wav", true},
        {"/m/a.wav.txt", false}, {"/m.mp3/file", false},
    };
    for (const auto& [path, accepted] : cases)
        EXPECT_EQ(list.IsAcceptedFile(path), accepted) << path;
    list.ClearExtensions();
    list.AddExtension("KOX");
    EXPECT_TRUE(list.IsAcceptedFile("/r/ring.kox"));
}

TEST_F(Browser, ListsFoldersFirstAndOnlyAcceptedFilesUnlessAllAreShown)
{
    auto dialog = Open();
    Go(*dialog, music);
    const QStringList filtered{"dir.wav", "sub", "a.mp3", "B.MP3", "x.Ogg"};
    EXPECT_TRUE(Lists(*dialog, filtered)) << dialog->List()->Names().join(',').toStdString();
    EXPECT_EQ(dialog->List()->GetViewStyle(), Style::List);
    EXPECT_TRUE(dialog->ToolBar()->Action(CResToolBar::Command::List)->isChecked());

    QAction* showAll = dialog->ToolBar()->Action(CResToolBar::Command::ShowAll);
    showAll->trigger();
    EXPECT_TRUE(showAll->isChecked());
    EXPECT_TRUE(Lists(*dialog, {"dir.wav", "sub", "a.mp3", "B.MP3", "c.txt", "x.Ogg"}))
        << dialog->List()->Names().join(',').toStdString();
    showAll->trigger();
    EXPECT_FALSE(showAll->isChecked());
    EXPECT_TRUE(Lists(*dialog, filtered));

    // The view styles mark one item at a time.
    dialog->ToolBar()->Action(CResToolBar::Command::LargeIcons)->trigger();
    EXPECT_EQ(dialog->List()->GetViewStyle(), Style::LargeIcons);
    EXPECT_FALSE(dialog->ToolBar()->Action(CResToolBar::Command::List)->isChecked());
    EXPECT_EQ(dialog->List()->viewMode(), QListView::IconMode);
}

TEST_F(Browser, FilesOpenFromTheListAndFoldersOpenInTheTree)
{
    auto dialog = Open();
    QStringList opened;
    dialog->SetOpenHandler([&](const QString& path) { opened << path; });
    Go(*dialog, music);
    ASSERT_TRUE(Lists(*dialog, {"dir.wav", "sub", "a.mp3", "B.MP3", "x.Ogg"}));
    CFileListCtrl* list = dialog->List();
    list->OnDblClk(list->IndexOfName("B.MP3"));
    EXPECT_EQ(opened, QStringList({music + "/B.MP3"}));
    EXPECT_FALSE(list->DragData(list->IndexOfName("sub"))) << "folders are not dragged";

    // The context menu: for accepted files only.
    QMenu* menu = list->PrepareContextMenu(list->visualRect(list->IndexOfName("x.Ogg")).center());
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("在编辑器中打开"));
    menu->actions()[0]->trigger();
    EXPECT_EQ(opened.last(), music + "/x.Ogg");
    EXPECT_FALSE(list->PrepareContextMenu(list->visualRect(list->IndexOfName("sub")).center()));

    list->OnDblClk(list->IndexOfName("dir.wav"));
    EXPECT_EQ(CFileTreeCtrl::PathOf(dialog->Tree()->currentItem()), music + "/dir.wav");
    EXPECT_EQ(list->Folder(), music + "/dir.wav");
    EXPECT_EQ(opened.size(), 2) << "a folder named like a file is not opened";
}

TEST_F(Browser, ReopensTheLastFolderOrItsNearestExistingAncestor)
{
    {
        auto dialog = Open();
        EXPECT_EQ(dialog->Tree()->currentItem(), dialog->Tree()->RootItem()) << "first start";
        Go(*dialog, music + "/sub/deep/deeper");
        EXPECT_EQ(Stored(), music + "/sub/deep/deeper");
    }
    // Undecodable neighbours on the way end neither the listing nor the walk.
    undecodable.Touch(music + "/sub", "odd");
    {
        auto dialog = Open();
        EXPECT_EQ(CFileTreeCtrl::PathOf(dialog->Tree()->currentItem()),
                  music + "/sub/deep/deeper");
        EXPECT_EQ(dialog->List()->Folder(), music + "/sub/deep/deeper");
    }
    QDir(music + "/sub/deep").removeRecursively();
    auto dialog = Open();
    EXPECT_EQ(CFileTreeCtrl::PathOf(dialog->Tree()->currentItem()), music + "/sub");
    EXPECT_EQ(Stored(), music + "/sub");
    // The combo holds the root, its children and the chain down to the folder.
    CFileComboBox* combo = dialog->Combo();
    QStringList chain;
    for (int i = 0; i < combo->count(); ++i)
        chain << combo->itemText(i) + ":" + QString::number(combo->IndentAt(i));
    EXPECT_EQ(chain, QStringList({"计算机:0", "主文件夹:1", "music:2", "sub:3", "文件系统:1"}));
    EXPECT_EQ(combo->currentIndex(), 3);
    // Picking an ancestor there selects it in the tree and lists it.
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    EXPECT_EQ(CFileTreeCtrl::PathOf(dialog->Tree()->currentItem()), QDir::homePath());
    EXPECT_EQ(dialog->List()->Folder(), QDir::homePath());
}

TEST_F(Browser, TheWalkBackNeverWaitsForAFolderToBeRead)
{
    AppSettings().SetValue("LPID", music + "/sub/deep/deeper");
    CResourceDialog dialog;
    dialog.OnInitDialog();
    // Nothing was read yet: the walk goes on in the background.
    EXPECT_TRUE(dialog.Tree()->IsRestoring());
    EXPECT_NE(CFileTreeCtrl::PathOf(dialog.Tree()->currentItem()), music + "/sub/deep/deeper");
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return !dialog.Tree()->IsRestoring(); }));
    EXPECT_EQ(CFileTreeCtrl::PathOf(dialog.Tree()->currentItem()), music + "/sub/deep/deeper");

    // A stored path that is no path at all leaves the root selected.
    AppSettings().SetValue("LPID", "relative/nowhere");
    CResourceDialog other;
    other.OnInitDialog();
    EXPECT_FALSE(other.Tree()->IsRestoring());
    EXPECT_EQ(other.Tree()->currentItem(), other.Tree()->RootItem());
}

TEST_F(Browser, UpAndRefreshDoNothingAtTheRoot)
{
    auto dialog = Open();
    CFileTreeCtrl* tree = dialog->Tree();
    ASSERT_EQ(tree->currentItem(), tree->RootItem());
    const QStringList places = dialog->List()->Names();
    EXPECT_EQ(places, QStringList({"主文件夹", "文件系统"}));
    dialog->ToolBar()->Action(CResToolBar::Command::Up)->trigger();
    dialog->ToolBar()->Action(CResToolBar::Command::Refresh)->trigger();
    EXPECT_EQ(tree->currentItem(), tree->RootItem());
    EXPECT_EQ(tree->RootItem()->childCount(), 2);
    EXPECT_EQ(dialog->List()->Names(), places);

    // Below the root "向上" goes up and "刷新" reads the folder again.
    Go(*dialog, music + "/sub");
    QDir().mkpath(music + "/sub/fresh");
    dialog->ToolBar()->Action(CResToolBar::Command::Refresh)->trigger();
    EXPECT_TRUE(Lists(*dialog, {"deep", "fresh"}));
    dialog->ToolBar()->Action(CResToolBar::Command::Up)->trigger();
    EXPECT_EQ(CFileTreeCtrl::PathOf(tree->currentItem()), music);
}

TEST(RingLibrary, ListsKoxFilesInAnyCaseUnderTheirOwnNames)
{
    const QString folder = TestEnvironment::DataHome() + "/VazoZedu/MyRing/";
    QDir().mkpath(folder);
    for (const char* name : {"b.kox", "A.KOX", ".hidden.kox", "c.Kox", "notes.txt"})
        Touch(folder + name);
    QDir().mkpath(folder + "folder.kox");
    Undecodables undecodable;
    undecodable.Touch(folder, "x", ".kox");
    CResourceView view;
    view.OnInitialUpdate();
    CListMyRing* rings = view.RingList();
    EXPECT_EQ(g_pRingList, rings);
    QStringList rows;
    for (int i = 0; i < rings->count(); ++i)
        rows << rings->RingName(i) + "=" + QFileInfo(rings->RingPath(i)).fileName();
    EXPECT_EQ(rows, QStringList({"A=A.KOX", "b=b.kox", "c=c.Kox"}));
    EXPECT_EQ(view.Tabs()->tabText(0), QStringLiteral("资源管理器"));
    EXPECT_EQ(view.Tabs()->tabText(1), QStringLiteral("我的铃音库"));
    EXPECT_EQ(view.Tabs()->tabPosition(), QTabWidget::South);
}

TEST(RingLibrary, AnEmptyFolderGivesAnEmptyTab)
{
    QDir().mkpath(TestEnvironment::DataHome() + "/VazoZedu");
    CResourceView view;
    view.OnInitialUpdate();
    EXPECT_EQ(view.RingList()->count(), 0);
    EXPECT_TRUE(QFileInfo(TestEnvironment::DataHome() + "/VazoZedu/MyRing").isDir());
}

} // namespace
