// The main dialog's commands as the program wires them: the login before the
// ring library, the web pages, the selection fields, the open dialogs, the
// lyrics and the song information.
#include "tests/simple/KelvoFixture.h"

#include "publish/BrowserDlg.h"
#include "publish/LoginDialog.h"
#include "publish/ServiceProtocol.h"
#include "simple/SelectionFields.h"
#include "skin/SkinWin.h"
#include "tests/publish/RingServiceFixture.h"
#include "tests/support/FakeCapture.h"
#include "tests/publish/ServiceTestSupport.h"
#include "voice/Brevanta.h"
#include "voice/LyricsShow.h"
#include "voice/SongInfoShow.h"
#include "voice/TimerShow.h"
#include "voice/WaveShow.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QMimeData>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <sys/stat.h>

namespace {

const QString kMobile = QStringLiteral("13800138000");

QString MakeWav(const QString& name, const char* seconds, const QStringList& format)
{
    const QString path = TestEnvironment::Home() + '/' + name;
    QProcess sox;
    sox.start("sox",
              QStringList{"-n"} + format + QStringList{path, "synth", seconds, "sine", "440"});
    EXPECT_TRUE(sox.waitForFinished(20000));
    EXPECT_EQ(sox.exitCode(), 0) << sox.readAllStandardError().toStdString();
    return path;
}

struct KelvoCommands : KelvoFixture
{
    void StartKelvo()
    {
        ASSERT_TRUE(service.IsRunning()) << service.StartError().toStdString();
        ASSERT_EQ(Start(), CKelvoApp::Start::Run);
        Dlg()->SetDialogRunner([this](QDialog& dialog) { return Answer(dialog); });
        Dlg()->SetFileChooser([this](QWidget*, const QString& filter) {
            filters << filter;
            return chosen;
        });
    }
    // With the real players on the sound driver of the environment (dummy).
    void StartWithSound()
    {
        app = std::make_unique<CKelvoApp>(messages, questions, urls);
        ASSERT_EQ(app->InitInstance({}), CKelvoApp::Start::Run);
        Dlg()->SetFileChooser([this](QWidget*, const QString& filter) {
            filters << filter;
            return chosen;
        });
    }
    bool Answer(QDialog& dialog)
    {
        dialogs << QString::fromLatin1(dialog.metaObject()->className());
        auto* login = qobject_cast<CLoginDialog*>(&dialog);
        if (!login || !logIn)
            return false;
        loginSkinned = CSkinWin::Of(login) != nullptr;
        loginHasGroup = login->findChild<QGroupBox*>() != nullptr;
        login->show();
        login->findChild<QLineEdit*>("mobileEdit")->setText(kMobile);
        login->OnGetValCode();
        if (!TestEnvironment::WaitFor([&] { return !login->IsBusy(); }, 20000))
            return false;
        messages.messages.removeAll(QString::fromUtf8("验证码发送成功，请注意查收！"));
        login->findChild<QLineEdit*>("codeEdit")->setText(service.CodeFor(kMobile));
        KeepScreenshot(*login, "kelvo-login");
        login->OnOK();
        return TestEnvironment::WaitFor([&] { return !login->IsBusy(); }, 20000) &&
               login->result() == QDialog::Accepted;
    }
    void Click(int id)
    {
        auto* button = qobject_cast<QPushButton*>(Dlg()->Control(id));
        ASSERT_NE(button, nullptr) << id;
        button->click();
    }
    QLineEdit* Field(int id) const { return qobject_cast<QLineEdit*>(Dlg()->Control(id)); }
    int Requests(const QString& path) const
    {
        int count = 0;
        for (const QJsonObject& entry : service.Log())
            count += entry.value("path").toString() == path;
        return count;
    }
    // Loads music and waits until the dialog has taken the loaded notice.
    void Load(const QString& path)
    {
        Dlg()->LoadMusicFile(path);
        ASSERT_TRUE(TestEnvironment::WaitFor(
            [&] { return Dlg()->LoadedMusicPath() == path && !Dlg()->Editor()->IsOpening(); },
            20000));
    }

    RingServiceFixture service;
    ScopedServiceHost host{service.HostPort()};
    QStringList dialogs;
    QStringList filters;
    QString chosen;
    bool logIn = true;
    bool loginSkinned = false;
    bool loginHasGroup = true;
};

TEST_F(KelvoCommands, RingManagementLogsInOnceWithTheSkinnedDialogThenShowsTheLibrary)
{
    StartKelvo();
    // Cancelled: still logged out, no page.
    logIn = false;
    Click(1041);
    EXPECT_EQ(dialogs, QStringList{"CLoginDialog"});
    EXPECT_FALSE(Dlg()->IsLoggedIn());
    EXPECT_FALSE(Dlg()->Browser()->isVisible());

    logIn = true;
    Click(1041);
    EXPECT_EQ(dialogs, (QStringList{"CLoginDialog", "CLoginDialog"}));
    EXPECT_TRUE(loginSkinned);
    EXPECT_FALSE(loginHasGroup);
    EXPECT_TRUE(Dlg()->IsLoggedIn());
    EXPECT_EQ(Dlg()->LoginId(), kMobile);
    EXPECT_TRUE(Dlg()->Browser()->isVisible());
    // The web view asks for the page with the session the login made.
    const QString library = "/zuvo/person/client.me";
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return Requests(library) == 1; }, 30000));
    EXPECT_EQ(service.LastRequest(library).value("session_user").toString(), kMobile);

    // Logged in: the page again without asking.
    Click(1041);
    EXPECT_EQ(dialogs.size(), 2);
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return Requests(library) == 2; }, 30000));
    EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join('\n').toStdString();
}

TEST_F(KelvoCommands, WebMaterialsShowTheSongList)
{
    StartKelvo();
    Click(1006);
    EXPECT_TRUE(dialogs.isEmpty());
    EXPECT_TRUE(Dlg()->Browser()->isVisible());
    ASSERT_TRUE(
        TestEnvironment::WaitFor([&] { return Requests("/zuvo/pub/songlist.me") == 1; }, 30000));
}

// A field's text that was typed but not applied yet is applied before a
// command reads the selection, and Enter applies it without closing.
TEST_F(KelvoCommands, TheFocusedFieldIsAppliedFirstAndEnterKeepsTheDialog)
{
    StartKelvo();
    Load(MakeWav("twelve.wav", "12", {"-r", "44100", "-c", "2", "-b", "16"}));
    CBrevanta* editor = Dlg()->Editor();
    QLineEdit* start = Field(1015);
    QLineEdit* end = Field(1031);
    QLineEdit* length = Field(1030);
    const int64_t total = editor->GetMusicLength();
    const QString totalText = SelectionFields::FormatMs(total);

    // Enter in the start field: [2, 6] s.
    start->setFocus();
    start->setText("00:02:00");
    length->setText("00:04:00");
    QTest::keyClick(start, Qt::Key_Return);
    EXPECT_TRUE(Dlg()->isVisible());
    EXPECT_FALSE(Dlg()->IsClosed());
    EXPECT_EQ(end->text(), "00:06:00");
    EXPECT_EQ(editor->GetSelectionStart(), editor->MsToX(2000));
    EXPECT_EQ(editor->GetSelectionEnd(), editor->MsToX(6000));

    // A length past the music typed into the focused field, then a command:
    // the length is cut to what is left, the selection ends at the music's end.
    length->setFocus();
    length->setText("00:40:00");
    Click(108); // 到起始点 reads no field, yet applies it first
    EXPECT_EQ(length->text(), SelectionFields::FormatMs(total - 2000));
    EXPECT_EQ(end->text(), totalText);

    // What the ring commands call before they read the length.
    end->setFocus();
    end->setText("00:30:00");
    Dlg()->ApplyFocusedEdit();
    EXPECT_EQ(end->text(), totalText);
    EXPECT_EQ(start->text(),
              SelectionFields::FormatMs(total - SelectionFields::ParseMs(length->text())));
    EXPECT_EQ(editor->GetSelectionEnd(), editor->MsToX(total));
    EXPECT_LE(editor->GetSelectionStart(), editor->GetSelectionEnd());
}

TEST_F(KelvoCommands, AThreeFileDropLoadsTheFirstAndTheSongInformationFollows)
{
    const QStringList paths = {
        MakeWav("测试 歌曲.wav", "12", {"-r", "44100", "-c", "2", "-b", "16"}),
        MakeWav("second.wav", "1", {"-r", "8000", "-c", "1", "-b", "16"}),
        MakeWav("third.wav", "1", {"-r", "8000", "-c", "1", "-b", "16"})};
    StartKelvo();
    EXPECT_TRUE(Field(1015)->isReadOnly());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(paths[0]), QUrl::fromLocalFile(paths[1]),
                  QUrl::fromLocalFile(paths[2])});
    QDragEnterEvent enter(QPoint(300, 200), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(Dlg(), &enter);
    QDropEvent drop(QPointF(300, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Dlg(), &drop);
    ASSERT_TRUE(TestEnvironment::WaitFor(
        [&] { return !Dlg()->LoadedMusicPath().isEmpty() && !Dlg()->Editor()->IsOpening(); },
        20000));
    QTest::qWait(100);
    EXPECT_EQ(Dlg()->LoadedMusicPath(), paths[0]);
    EXPECT_EQ(Dlg()->Editor()->GetMusicPath(), paths[0]);
    for (int id : {1015, 1031, 1030})
        EXPECT_FALSE(Field(id)->isReadOnly()) << id;
    const QStringList lines = Dlg()->SongInfo()->GetLines();
    EXPECT_TRUE(lines.contains(QString::fromUtf8("文件名：测试 歌曲"))) << lines.join('|');
    EXPECT_TRUE(lines.contains(QString::fromUtf8("长度：00:12"))) << lines.join('|');
    EXPECT_TRUE(lines.contains(QString::fromUtf8("格式：声道数:2\r\n采样率:44100")))
        << lines.join('|');
    EXPECT_TRUE(Dlg()->SongInfo()->IsShowing());

    // Clearing the music leaves nothing of the song behind: the information
    // is that of the six minutes of silence the editor holds now.
    Click(116);
    QTest::qWait(100);
    EXPECT_TRUE(Dlg()->LoadedMusicPath().isEmpty());
    EXPECT_TRUE(Dlg()->SongInfo()->IsShowing());
    EXPECT_EQ(Dlg()->SongInfo()->GetLines(),
              (QStringList{QString::fromUtf8("文件名：未知"), QString::fromUtf8("标题：未知"),
                           QString::fromUtf8("艺术家：未知"), QString::fromUtf8("专辑：未知"),
                           QString::fromUtf8("长度：06:00"),
                           QString::fromUtf8("格式：声道数:1\r\n采样率:8000")}));
    for (int id : {1015, 1031, 1030})
        EXPECT_FALSE(Field(id)->isReadOnly()) << id;
}

TEST_F(KelvoCommands, TheOpenDialogsOfferBothCasesOfEachPattern)
{
    const QString song = MakeWav("song.WAV", "2", {"-r", "8000", "-c", "1", "-b", "16"});
    StartKelvo();
    chosen = song;
    Click(1007);
    ASSERT_EQ(filters.size(), 1);
    const QString music = filters[0];
    EXPECT_TRUE(music.startsWith(QString::fromUtf8("所有文件 (*);;"))) << music.toStdString();
    for (const char* pattern : {"mp3", "kox", "wma", "asf", "wav"}) {
        const QString lower = QString::fromLatin1(pattern);
        EXPECT_TRUE(music.contains("*." + lower)) << pattern;
        EXPECT_TRUE(music.contains("*." + lower.toUpper())) << pattern;
    }
    ASSERT_TRUE(TestEnvironment::WaitFor(
        [&] { return Dlg()->LoadedMusicPath() == song && !Dlg()->Editor()->IsOpening(); }, 20000));

    // While a job holds the busy flag the music command asks nothing.
    Dlg()->BusyFlag() = true;
    Click(1007);
    Dlg()->BusyFlag() = false;
    EXPECT_EQ(filters.size(), 1);

    chosen.clear();
    Click(111);
    ASSERT_EQ(filters.size(), 2);
    EXPECT_EQ(filters[1], QString::fromUtf8("LRC歌词文件 (*.LRC *.lrc)"));
}

// Lyrics go with the music that is loaded, not with a file that failed to
// open after it.
TEST_F(KelvoCommands, ALyricsFileMustNameTheMusicActuallyLoaded)
{
    const QString song = MakeWav("song.wav", "3", {"-r", "8000", "-c", "1", "-b", "16"});
    const QString broken = TestEnvironment::Home() + "/broken.wav";
    for (const QString& name : {QString("song.lrc"), QString("broken.lrc"), QString("Song.lrc")}) {
        QFile lrc(TestEnvironment::Home() + '/' + name);
        ASSERT_TRUE(lrc.open(QIODevice::WriteOnly));
        lrc.write("[00:00.50]" + name.toUtf8() + "\n[00:02.00]end\n");
    }
    QFile junk(broken);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not audio at all");
    junk.close();
    StartKelvo();
    Load(song);
    Dlg()->LoadMusicFile(broken);
    ASSERT_TRUE(TestEnvironment::WaitFor(
        [&] { return !Dlg()->Editor()->IsOpening() && !messages.messages.isEmpty(); }, 20000));
    EXPECT_EQ(Dlg()->LoadedMusicPath(), song);

    CLyricsShow* lyrics = Dlg()->findChild<CLyricsShow*>();
    ASSERT_NE(lyrics, nullptr);
    for (const char* other : {"broken.lrc", "Song.lrc"}) {
        Dlg()->OnLyricsFile(TestEnvironment::Home() + '/' + other);
        EXPECT_FALSE(lyrics->IsLoaded()) << other;
    }
    Dlg()->OnLyricsFile(TestEnvironment::Home() + "/song.lrc");
    EXPECT_TRUE(lyrics->IsLoaded());
}

TEST_F(KelvoCommands, HelpAndTheTwoSitesGoToTheDesktopsBrowser)
{
    StartKelvo();
    Dlg()->OnHelp();
    ASSERT_EQ(urls.opened.size(), 1);
    const QUrl help = urls.opened[0];
    EXPECT_EQ(help.scheme(), "file");
    EXPECT_TRUE(QFileInfo(help.toLocalFile()).isAbsolute());
    EXPECT_TRUE(QFileInfo(help.toLocalFile()).isFile()) << help.toString().toStdString();
    EXPECT_TRUE(messages.messages.isEmpty());

    Click(1061);
    Click(1063);
    ASSERT_EQ(urls.opened.size(), 3);
    const QString base = QString::fromStdString("http://" + service.HostPort());
    EXPECT_EQ(urls.opened[1].toString(), base + "/zuvo/");
    EXPECT_EQ(urls.opened[2].toString(), base + "/portal/");
    // The stand-in serves both pages.
    for (const QByteArray& page : {QByteArray("/zuvo/"), QByteArray("/portal/")})
        EXPECT_EQ(service.Get(page).status, 200) << page.toStdString();

    // A page that is not there is told, not handed on.
    Dlg()->SetHelpPage(TestEnvironment::Home() + "/help/index.html");
    Dlg()->OnHelp();
    EXPECT_EQ(urls.opened.size(), 3);
    ASSERT_EQ(messages.messages.size(), 1);
    EXPECT_TRUE(messages.messages[0].contains(TestEnvironment::Home() + "/help/index.html"));
}

TEST(KelvoSites, DeploymentAddressesFollowTheEnvironment)
{
    qputenv("ZUVO_SERVICE_HOST", "ring.example:81");
    qunsetenv("ZUVO_SERVICE_HOME");
    qunsetenv("ZUVO_MUSIC_PORTAL");
    EXPECT_EQ(ServiceHomePageUrl(), "http://ring.example:81/zuvo/");
    EXPECT_EQ(MusicPortalUrl(), "http://ring.example:81/portal/");
    qputenv("ZUVO_SERVICE_HOME", "https://home.example/");
    qputenv("ZUVO_MUSIC_PORTAL", "https://music.example/index.html");
    EXPECT_EQ(ServiceHomePageUrl(), "https://home.example/");
    EXPECT_EQ(MusicPortalUrl(), "https://music.example/index.html");
    for (const char* name : {"ZUVO_SERVICE_HOST", "ZUVO_SERVICE_HOME", "ZUVO_MUSIC_PORTAL"})
        qunsetenv(name);
}

TEST_F(KelvoCommands, TransportRecordAndDeleteWithTheDummyDriver)
{
    const QString song = MakeWav("song.wav", "12", {"-r", "44100", "-c", "2", "-b", "16"});
    QFile lrc(TestEnvironment::Home() + "/song.lrc");
    ASSERT_TRUE(lrc.open(QIODevice::WriteOnly));
    lrc.write("[00:00.00]first line\n[00:01.00]second line\n[00:20.00]end\n");
    lrc.close();
    StartWithSound();
    CBrevanta* editor = Dlg()->Editor();
    auto* clock = Dlg()->findChild<CTimerShow*>();
    auto* lyrics = Dlg()->findChild<CLyricsShow*>();
    auto* spectrum = Dlg()->findChild<CWaveShow*>();
    auto* record = qobject_cast<QPushButton*>(Dlg()->Control(102));

    // Before a song the editor holds its generated silence, which is music
    // enough to record over.
    ASSERT_TRUE(editor->GetMusic().IsSilentDefault());
    Click(102);
    EXPECT_TRUE(editor->IsRecording());
    EXPECT_TRUE(record->isChecked());
    EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join('|').toStdString();
    Click(102);
    EXPECT_FALSE(editor->IsRecording());

    // Only a music track without any data asks for music first, and the
    // button springs back.
    ASSERT_TRUE(editor->SetMusic(std::make_unique<WaveData>()));
    Click(102);
    EXPECT_FALSE(editor->IsRecording());
    EXPECT_FALSE(record->isChecked());
    EXPECT_EQ(messages.messages, QStringList{QString::fromUtf8("请加载音乐后再进行录音！")});
    messages.messages.clear();

    Load(song);
    chosen = lrc.fileName();
    Click(111);
    EXPECT_TRUE(lyrics->IsLoaded());

    Click(104);
    ASSERT_TRUE(editor->IsPlaying());
    EXPECT_TRUE(clock->IsRunning());
    EXPECT_TRUE(lyrics->IsPlaying());
    EXPECT_TRUE(spectrum->IsRunning());
    EXPECT_LT(lyrics->GetElapsed(), 200);
    QTest::qWait(300);
    Click(106);
    EXPECT_FALSE(editor->IsPlaying());
    EXPECT_FALSE(clock->IsRunning());
    EXPECT_FALSE(lyrics->IsPlaying());
    EXPECT_FALSE(spectrum->IsRunning());
    const uint32_t cursor = uint32_t(editor->XToMs(editor->GetEditCursor()));
    EXPECT_GT(cursor, 0u);
    QTest::qWait(100);
    EXPECT_EQ(clock->GetText(), CTimerShow::FormatTime(cursor));

    // A recording from the cursor: the clock and lyrics start there.
    FakeCaptureState input;
    editor->SetCaptureFactory(FakeCaptures(input));
    Click(102);
    ASSERT_TRUE(editor->IsRecording());
    EXPECT_TRUE(record->isChecked());
    EXPECT_TRUE(clock->IsRunning());
    EXPECT_GE(lyrics->GetElapsed(), int(cursor));
    Click(113);
    EXPECT_EQ(messages.messages,
              QStringList{QString::fromUtf8("当前正在录音，请停止录音后再执行操作！")});
    const std::vector<uint8_t> chunk(editor->GetRecordChunkBytes(), 0x40);
    ASSERT_NE(input.sink, nullptr);
    input.sink->OnCaptured(chunk.data(), chunk.size());
    Click(102); // off: stops
    EXPECT_FALSE(editor->IsRecording());
    EXPECT_FALSE(editor->IsPlaying());
    ASSERT_TRUE(editor->GetVoice().HasData());
    QTest::qWait(50);
    EXPECT_FALSE(record->isChecked());

    // While playing the voice stays; Cancel keeps it, OK deletes it.
    messages.messages.clear();
    Click(105);
    ASSERT_TRUE(editor->IsPlaying());
    Click(113);
    EXPECT_EQ(messages.messages,
              QStringList{QString::fromUtf8("当前正在播放，请停止播放后再执行操作！")});
    EXPECT_TRUE(questions.asked.isEmpty());
    EXPECT_TRUE(editor->GetVoice().HasData());
    Click(107);
    EXPECT_FALSE(editor->IsPlaying());
    questions.okAnswers = {false, true};
    Click(113);
    EXPECT_TRUE(editor->GetVoice().HasData());
    Click(113);
    EXPECT_EQ(questions.asked, (QStringList{QString::fromUtf8("您确定要删除当前录音数据吗？"),
                                            QString::fromUtf8("您确定要删除当前录音数据吗？")}));
    EXPECT_FALSE(editor->GetVoice().HasData());
    // Nothing left to delete: nothing asked.
    Click(113);
    EXPECT_EQ(questions.asked.size(), 2);
}

// The loop button turned off while a selection loops: the music plays on
// past the selection and does not start over.
TEST_F(KelvoCommands, LoopOffDuringALoopPlaysOnWithTheDummyDriver)
{
    StartWithSound();
    Load(MakeWav("song.wav", "6", {"-r", "44100", "-c", "2", "-b", "16"}));
    CBrevanta* editor = Dlg()->Editor();
    QSignalSpy restarted(editor, &CBrevanta::LOOP_RESTARTED);
    editor->SetSelectionStart(editor->MsToX(0));
    editor->SetSelectionEnd(editor->MsToX(400));
    Click(103);
    Click(105);
    ASSERT_TRUE(editor->IsLoopPlaying());
    ASSERT_TRUE(restarted.wait(5000));
    Click(103);
    EXPECT_FALSE(editor->IsLoopPlaying());
    const int restarts = restarted.count();
    QTest::qWait(1000);
    EXPECT_EQ(restarted.count(), restarts);
    EXPECT_TRUE(editor->IsPlaying());
    EXPECT_GT(editor->GetPlayPosition(), 900u);
    Click(107);
}

// A dropped FIFO, device or folder is refused before anything reads it.
TEST_F(KelvoCommands, ADroppedFileThatIsNoRegularFileIsRefusedAtOnce)
{
    const QString fifo = TestEnvironment::Home() + "/pipe.wav";
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    StartKelvo();
    for (const QString& path : {fifo, QString("/dev/zero"), TestEnvironment::Home()}) {
        messages.messages.clear();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(300, 200), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(Dlg(), &enter);
        QDropEvent drop(QPointF(300, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Dlg(), &drop);
        EXPECT_TRUE(TestEnvironment::WaitFor(
            [&] { return !Dlg()->Editor()->IsOpening() && !messages.messages.isEmpty(); }, 2000))
            << path.toStdString();
        EXPECT_TRUE(Dlg()->LoadedMusicPath().isEmpty()) << path.toStdString();
        EXPECT_TRUE(Dlg()->Editor()->GetMusic().IsSilentDefault());
    }
}

} // namespace
