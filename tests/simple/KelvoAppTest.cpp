// Kelvo's start-up as its program runs it: the registration switches, the
// data folder, the settings the main dialog keeps and every way out of it.
#include "tests/simple/KelvoFixture.h"
#include "tests/support/FakeCapture.h"

#include "platform/DlgCtrlId.h"
#include "platform/WebEngineSwitches.h"
#include "publish/BrowserDlg.h"
#include "publish/SimpleProgress.h"
#include "skin/SkinBmpButton.h"
#include "skin/SkinEdit.h"
#include "skin/SkinListCtrl.h"
#include "skin/SkinMaskEdit.h"
#include "skin/SkinSliderCtrl.h"
#include "skin/SkinTabCtrl.h"
#include "skin/SkinWin.h"
#include "voice/Brevanta.h"
#include "voice/WaveData.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QToolTip>
#include <QTreeWidget>

#include <unistd.h>

#include <typeinfo>

namespace {

using Kelvo = KelvoFixture;

QSlider* Slider(CKelvoDlg* dlg, int id)
{
    return qobject_cast<QSlider*>(dlg->Control(id));
}

// The activation file as Python's configparser reads it: "Name|Exec".
QString ReadActivationFile()
{
    QProcess python;
    python.start("python3", {"-c",
                             "import configparser,sys\n"
                             "c=configparser.ConfigParser(interpolation=None)\n"
                             "c.optionxform=str\n"
                             "c.read(sys.argv[1],encoding='utf-8')\n"
                             "s=c['D-BUS Service']\n"
                             "print(s['Name']+'|'+s['Exec'])\n",
                             CKelvoApp::ActivationFilePath()});
    EXPECT_TRUE(python.waitForFinished(10000));
    return QString::fromUtf8(python.readAllStandardOutput()).trimmed();
}

TEST_F(Kelvo, RegistrationSwitchesWriteAndRemoveTheActivationFileWithoutADialog)
{
    const QString path = CKelvoApp::ActivationFilePath();
    EXPECT_EQ(path, TestEnvironment::DataHome() + "/dbus-1/services/org.zuvo.Kelvo.service");
    for (const char* word : {"-Regserver", "/Regserver", "--regserver"}) {
        ASSERT_EQ(Start({QString::fromLatin1(word)}), CKelvoApp::Start::ExitOk) << word;
        EXPECT_EQ(Dlg(), nullptr) << word;
        const QStringList fields = ReadActivationFile().split(u'|');
        ASSERT_EQ(fields.size(), 2) << word;
        EXPECT_EQ(fields[0], QStringLiteral("org.zuvo.Kelvo"));
        EXPECT_TRUE(QFileInfo(fields[1]).isExecutable()) << fields[1].toStdString();
        EXPECT_EQ(fields[1], QCoreApplication::applicationFilePath());

        ASSERT_EQ(Start({QStringLiteral("-Unregserver")}), CKelvoApp::Start::ExitOk) << word;
        EXPECT_FALSE(QFileInfo::exists(path)) << word;
    }
    // Nothing there to remove is no failure.
    EXPECT_EQ(Start({QStringLiteral("/unregserver")}), CKelvoApp::Start::ExitOk);
    EXPECT_FALSE(QFileInfo::exists(TestEnvironment::DataHome() + "/VazoZedu"))
        << "a switch ends before the data folder";
    EXPECT_TRUE(messages.messages.isEmpty());
}

TEST_F(Kelvo, EmbeddingAutomationAndAFileNameStartAsAnyStart)
{
    const QString song = TestEnvironment::Home() + "/song.mp3";
    ASSERT_EQ(Start({"-Embedding", "/Automation", song}), CKelvoApp::Start::Run);
    ASSERT_TRUE(Dlg());
    EXPECT_TRUE(Dlg()->isVisible());
    EXPECT_TRUE(Dlg()->Editor()->GetMusicPath().isEmpty()) << "a file named is not opened";
    EXPECT_FALSE(Dlg()->Editor()->IsOpening());
}

// The web engine refuses to start as root without its no-sandbox switch, and
// Kelvo's web page dialog may open at any time after the start.
TEST_F(Kelvo, AStartAsRootGivesTheWebEngineItsSwitch)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root needs the switch";
    qputenv(WebEngineSwitches::kVariable, "--disable-gpu");
    ASSERT_EQ(Start(), CKelvoApp::Start::Run);
    EXPECT_EQ(qgetenv(WebEngineSwitches::kVariable), QByteArray("--disable-gpu --no-sandbox"));
}

TEST_F(Kelvo, ADataFolderThatCannotBeMadeIsToldAndEndsTheStart)
{
    // The data home lies under a regular file.
    QFile blocker(TestEnvironment::Home() + "/file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", (TestEnvironment::Home() + "/file/data").toUtf8());
    const CKelvoApp::Start start = Start();
    qputenv("XDG_DATA_HOME", saved);
    EXPECT_EQ(start, CKelvoApp::Start::ExitFail);
    EXPECT_EQ(Dlg(), nullptr);
    ASSERT_EQ(messages.messages.size(), 1);
    EXPECT_EQ(messages.messages[0],
              QStringLiteral("错误！目录『%1/file/data/VazoZedu』不存在，\r\n且目录创建失败！")
                  .arg(TestEnvironment::Home()));
}

TEST_F(Kelvo, TheDataFolderIsMadeWithItsParents)
{
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", (TestEnvironment::Home() + "/a/b/c").toUtf8());
    const CKelvoApp::Start start = Start();
    qputenv("XDG_DATA_HOME", saved);
    ASSERT_EQ(start, CKelvoApp::Start::Run);
    EXPECT_TRUE(QFileInfo(TestEnvironment::Home() + "/a/b/c/VazoZedu").isDir());
    EXPECT_EQ(app->GetDataFolder(), TestEnvironment::Home() + "/a/b/c/VazoZedu/");
}

TEST_F(Kelvo, FirstStartWritesTheSettingsAndShowsNoMessage)
{
    ASSERT_EQ(Start(), CKelvoApp::Start::Run);
    QTest::qWait(50);
    const QMap<QString, QString> conf = Conf();
    EXPECT_EQ(conf.value("RecVol"), "0");
    EXPECT_EQ(conf.value("MusicVol"), "0");
    EXPECT_EQ(conf.value("MajorVer"), "1");
    EXPECT_EQ(conf.value("SubVer"), "11");
    EXPECT_TRUE(messages.messages.isEmpty());
    for (int id : {1017, 1018, 1050})
        EXPECT_EQ(Slider(Dlg(), id)->value(), 0) << id;
    EXPECT_EQ(MusicVolume(), 0);
    EXPECT_EQ(VoiceVolume(), 0);
}

TEST_F(Kelvo, AnOlderInstalledVersionIsToldOnceAfterTheDialogIsUp)
{
    struct Case
    {
        const char* stored;
        bool told;
    };
    const Case cases[] = {
        {"MajorVer=1\nSubVer=10\n", true},
        {"MajorVer=0\nSubVer=11\n", true},
        {"MajorVer=1\nSubVer=11\n", false},
        {"MajorVer=1\nSubVer=12\n", false},
        // Not whole numbers: missing, so written anew and nothing told.
        {"MajorVer=one\nSubVer=1.5\n", false},
    };
    for (const Case& c : cases) {
        app.reset();
        messages.messages.clear();
        WriteConf(c.stored);
        ASSERT_EQ(Start(), CKelvoApp::Start::Run) << c.stored;
        EXPECT_TRUE(messages.messages.isEmpty()) << "not before the dialog is up";
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Dlg()));
        QTest::qWait(50);
        const QStringList expected =
            c.told ? QStringList{QStringLiteral("当前版本已经升级到1.11")} : QStringList{};
        EXPECT_EQ(messages.messages, expected) << c.stored;
        const QMap<QString, QString> conf = Conf();
        EXPECT_EQ(conf.value("MajorVer"), "1") << c.stored;
        EXPECT_EQ(conf.value("SubVer"), QString(c.stored).contains("SubVer=12") ? "12" : "11")
            << c.stored;
    }
}

TEST_F(Kelvo, StoredVolumesSetTheSlidersAndTheEditorWhichFollowThem)
{
    struct Case
    {
        const char* stored;
        int record, music;
    };
    const Case cases[] = {
        {"RecVol=-60\nMusicVol=-10\n", -60, -10},
        // Out of the sliders' range: clamped, the volume from the clamped place.
        {"RecVol=-500\nMusicVol=7\n", -120, 0},
        {"RecVol=loud\nMusicVol=\n", 0, 0},
    };
    for (const Case& c : cases) {
        app.reset();
        volumes.volumes.clear();
        WriteConf(c.stored);
        ASSERT_EQ(Start(), CKelvoApp::Start::Run) << c.stored;
        EXPECT_EQ(Slider(Dlg(), 1018)->value(), c.record) << c.stored;
        EXPECT_EQ(Slider(Dlg(), 1017)->value(), c.music) << c.stored;
        EXPECT_EQ(Slider(Dlg(), 1050)->value(), c.music) << c.stored;
        EXPECT_EQ(VoiceVolume(), c.record * 50) << c.stored;
        EXPECT_EQ(MusicVolume(), c.music * 50) << c.stored;
    }

    // Either music slider moves the other.
    Slider(Dlg(), 1017)->setValue(-40);
    EXPECT_EQ(Slider(Dlg(), 1050)->value(), -40);
    EXPECT_EQ(MusicVolume(), -2000);
    Slider(Dlg(), 1050)->setValue(-7);
    EXPECT_EQ(Slider(Dlg(), 1017)->value(), -7);
    EXPECT_EQ(MusicVolume(), -350);
    Slider(Dlg(), 1018)->setValue(-120);
    EXPECT_EQ(VoiceVolume(), -6000);
    EXPECT_EQ(MusicVolume(), -350);
}

// Every way out of the dialog runs the close routine, which saves the volumes.
TEST_F(Kelvo, EveryWayOutSavesTheVolumes)
{
    struct Way
    {
        const char* name;
        std::function<void(CKelvoDlg*)> leave;
    };
    const Way ways[] = {
        {"close (the skinned close button, Alt+F4)", [](CKelvoDlg* d) { d->close(); }},
        {"Escape", [](CKelvoDlg* d) { QTest::keyClick(d, Qt::Key_Escape); }},
        {"reject", [](CKelvoDlg* d) { d->reject(); }},
        // The event loop ended from outside (a signal): the program's exit.
        {"end of the program", [this](CKelvoDlg*) { app->ExitInstance(143); }},
    };
    int volume = -10;
    for (const Way& way : ways) {
        app.reset();
        ASSERT_EQ(Start(), CKelvoApp::Start::Run) << way.name;
        Slider(Dlg(), 1017)->setValue(volume);
        Slider(Dlg(), 1018)->setValue(volume - 1);
        way.leave(Dlg());
        EXPECT_TRUE(!Dlg() || Dlg()->IsClosed()) << way.name;
        EXPECT_TRUE(!Dlg() || !Dlg()->isVisible()) << way.name;
        const QMap<QString, QString> conf = Conf();
        EXPECT_EQ(conf.value("MusicVol"), QString::number(volume)) << way.name;
        EXPECT_EQ(conf.value("RecVol"), QString::number(volume - 1)) << way.name;
        volume -= 10;
    }
}

TEST_F(Kelvo, EnterDoesNotCloseTheDialog)
{
    ASSERT_EQ(Start(), CKelvoApp::Start::Run);
    QTest::keyClick(Dlg(), Qt::Key_Return);
    Dlg()->accept();
    EXPECT_TRUE(Dlg()->isVisible());
    EXPECT_FALSE(Dlg()->IsClosed());
}

TEST_F(Kelvo, ClosingWithAVoiceInNoRingAsksFirst)
{
    ASSERT_EQ(Start(), CKelvoApp::Start::Run);
    // No voice: no question.
    EXPECT_TRUE(Dlg()->QueryClose());
    EXPECT_TRUE(questions.asked.isEmpty());

    // A recording that went into no ring yet.
    WaveData& voice = Dlg()->Editor()->GetVoice();
    voice.SetFormat(Dlg()->Editor()->GetRecordFormat());
    voice.SetBuffer(std::make_unique<WaveBuffer>(Dlg()->Editor()->GetRecordChunkBytes()));
    emit Dlg()->Editor()->RECORD_STOPPED();
    QCoreApplication::processEvents();

    questions.okAnswers = {false};
    Dlg()->close();
    ASSERT_EQ(questions.asked.size(), 1);
    EXPECT_TRUE(questions.asked[0].contains(QStringLiteral("录音")));
    EXPECT_TRUE(Dlg()->isVisible()) << "Cancel keeps the dialog and its recording";
    EXPECT_FALSE(Dlg()->IsClosed());

    // Once the voice is in a ring, nothing is asked.
    Dlg()->MarkVoiceKept();
    Dlg()->close();
    EXPECT_EQ(questions.asked.size(), 1);
    EXPECT_TRUE(Dlg()->IsClosed());
}

// A recording under way is a voice in no ring too: the close would make it
// the voice and throw it away.
TEST_F(Kelvo, ClosingWhileRecordingAsksFirst)
{
    ASSERT_EQ(Start(), CKelvoApp::Start::Run);
    CBrevanta* editor = Dlg()->Editor();
    auto music = std::make_unique<WaveData>();
    music->SetFormat(MakePcmFormat(1, 8000, 8));
    music->SetBuffer(std::make_unique<WaveBuffer>(80000));
    ASSERT_TRUE(editor->SetMusic(std::move(music)));
    FakeCaptureState input;
    editor->SetCaptureFactory(FakeCaptures(input));
    ASSERT_EQ(editor->StartRecord(), 1);
    ASSERT_TRUE(editor->IsRecording());

    questions.okAnswers = {false, true};
    Dlg()->close();
    ASSERT_EQ(questions.asked.size(), 1);
    EXPECT_TRUE(questions.asked[0].contains(QStringLiteral("录音")));
    EXPECT_TRUE(editor->IsRecording()) << "Cancel keeps the recording going";
    EXPECT_FALSE(Dlg()->IsClosed());

    Dlg()->close();
    EXPECT_EQ(questions.asked.size(), 2);
    EXPECT_TRUE(Dlg()->IsClosed());
    EXPECT_FALSE(editor->IsRecording());
}

TEST_F(Kelvo, ASecondStartInTheSameSessionEndsAndRaisesTheFirst)
{
    ASSERT_EQ(Start(), CKelvoApp::Start::Run);
    CKelvoDlg* first = Dlg();
    first->showMinimized();
    RecordingSink otherMessages;
    ScriptedQuestions otherQuestions;
    RecordingUrls otherUrls;
    CKelvoApp second(otherMessages, otherQuestions, otherUrls);
    EXPECT_EQ(second.InitInstance({}), CKelvoApp::Start::ExitOk);
    EXPECT_EQ(second.MainDialog(), nullptr);
    EXPECT_TRUE(TestEnvironment::WaitFor([&] { return !first->isMinimized(); }));
    EXPECT_TRUE(first->isVisible());
}

TEST_F(Kelvo, TheSkinWrapsEachControlOnce)
{
    ASSERT_EQ(Start(), CKelvoApp::Start::Run);
    // The time fields are mask edits only, with their mask.
    for (int id : {1015, 1031, 1030}) {
        QWidget* edit = Dlg()->Control(id);
        ASSERT_TRUE(edit) << id;
        const QList<CSkinEdit*> hooks = edit->findChildren<CSkinEdit*>();
        ASSERT_EQ(hooks.size(), 1) << id;
        auto* mask = qobject_cast<CSkinMaskEdit*>(hooks[0]);
        ASSERT_TRUE(mask) << id;
        EXPECT_TRUE(mask->IsLoaded()) << id;
        EXPECT_EQ(mask->Model().Mask(), QStringLiteral("88:88:88")) << id;
    }
    // The bitmap buttons, the record and loop buttons checkable.
    for (int id : {102, 103, 104,  105,  106,  107,  108,  109,  111,  113,  114,
                   116, 119, 1006, 1007, 1019, 1041, 1051, 1052, 1053, 1061, 1063}) {
        QWidget* button = Dlg()->Control(id);
        ASSERT_TRUE(button) << id;
        EXPECT_EQ(button->findChildren<CSkinBmpButton*>().size(), 1) << id;
        EXPECT_EQ(qobject_cast<QPushButton*>(button)->isCheckable(), id == 102 || id == 103) << id;
    }
    for (int id : {1017, 1018, 1050})
        EXPECT_EQ(Dlg()->Control(id)->findChildren<CSkinSliderCtrl*>().size(), 1) << id;
    EXPECT_EQ(Dlg()->Control(1043)->findChildren<CSkinTabCtrl*>().size(), 1);
    // The download list is a plain list, which the skin draws with its bars.
    EXPECT_EQ(typeid(*Dlg()->DownloadList()), typeid(QTreeWidget));
    EXPECT_EQ(Dlg()->DownloadList()->findChildren<CSkinListCtrl*>().size(), 1);
    EXPECT_EQ(GetDlgCtrlID(Dlg()->DownloadList()), 1009);

    // The main dialog wears neostyle; the web page window, hidden until a page
    // is asked for, the dialog skin; the busy panel waits hidden.
    ASSERT_TRUE(CSkinWin::Of(Dlg()));
    EXPECT_TRUE(CSkinWin::Of(Dlg())->ThemePath().endsWith("skin/neostyle/theme.ini"));
    ASSERT_TRUE(CSkinWin::Of(Dlg()->Browser()));
    EXPECT_TRUE(CSkinWin::Of(Dlg()->Browser())->ThemePath().endsWith("skin/dlgstyle/theme.ini"));
    EXPECT_FALSE(Dlg()->Browser()->isVisible());
    ASSERT_TRUE(Dlg()->BusyPanel());
    EXPECT_FALSE(Dlg()->BusyPanel()->isVisible());
}

TEST_F(Kelvo, TheToolRowsTooltipsInTheDialogsColours)
{
    ASSERT_EQ(Start(), CKelvoApp::Start::Run);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Dlg()));
    const std::pair<int, const char*> tools[] = {
        {102, "录音"},     {103, "循环播放"},     {104, "从头播放"}, {105, "从光标处播放"},
        {106, "暂停"},     {107, "停止"},         {108, "到起始点"}, {109, "取消选择"},
        {111, "加载歌词"}, {113, "删除录音片断"}, {116, "清除音乐"}, {114, "保存铃音到我的铃音库"},
    };
    for (const auto& [id, text] : tools) {
        QWidget* button = Dlg()->Control(id);
        QHelpEvent tip(QEvent::ToolTip, QPoint(3, 3), button->mapToGlobal(QPoint(3, 3)));
        QCoreApplication::sendEvent(button, &tip);
        EXPECT_EQ(QToolTip::text(), QString::fromUtf8(text)) << id;
        // The tip shown, not the program's tooltip palette, takes the colours.
        const QLabel* shown = nullptr;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->windowType() == Qt::ToolTip && window->isVisible())
                shown = qobject_cast<QLabel*>(window);
        ASSERT_NE(shown, nullptr) << id;
        EXPECT_EQ(shown->palette().color(QPalette::Inactive, QPalette::ToolTipBase),
                  QColor(0xFF, 0xFF, 0xE1));
        EXPECT_EQ(shown->palette().color(QPalette::Inactive, QPalette::ToolTipText),
                  QColor(0, 0, 0xC8));
    }
    EXPECT_TRUE(Dlg()->Control(1006)->toolTip().isEmpty());
}

TEST_F(Kelvo, ADropLoadsTheFirstFileIntoTheEditor)
{
    QStringList paths;
    for (const char* name : {"first.wav", "second.wav"}) {
        const QString path = TestEnvironment::Home() + '/' + name;
        QProcess sox;
        sox.start("sox",
                  {"-n", "-r", "8000", "-c", "1", "-b", "16", path, "synth", "1", "sine", "300"});
        ASSERT_TRUE(sox.waitForFinished(10000));
        paths << path;
    }
    ASSERT_EQ(Start(), CKelvoApp::Start::Run);
    EXPECT_TRUE(Dlg()->acceptDrops());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(paths[0]), QUrl::fromLocalFile(paths[1])});
    // As the window system delivers a drop: entering first.
    QDragEnterEvent enter(QPoint(300, 200), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(Dlg(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(300, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Dlg(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    ASSERT_TRUE(TestEnvironment::WaitFor(
        [&] {
            return Dlg()->Editor()->GetMusicPath() == paths[0] && !Dlg()->Editor()->IsOpening();
        },
        20000));
    QTest::qWait(50);
    // The dialog followed the load: the fields are open for typing.
    EXPECT_FALSE(qobject_cast<QLineEdit*>(Dlg()->Control(1015))->isReadOnly());
}

} // namespace
