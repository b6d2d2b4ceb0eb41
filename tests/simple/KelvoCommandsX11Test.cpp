// The main dialog's commands on a real X server, where the keyboard focus is
// real: typing into the selection fields, Enter, leaving a field, and a song
// playing with its lyrics and spectrum. ZUVO_SCREENSHOT_DIR keeps the picture.
#include "tests/simple/KelvoFixture.h"

#include "publish/LoginDialog.h"
#include "simple/SelectionFields.h"
#include "skin/SkinWin.h"
#include "voice/Brevanta.h"
#include "tests/support/FakeTicks.h"
#include "voice/LyricsShow.h"
#include "voice/SongInfoShow.h"
#include "voice/TimerShow.h"
#include "voice/WaveShow.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace {

struct KelvoCommandsX11 : KelvoFixture
{
    QString MakeSong(const QString& name, const char* seconds)
    {
        const QString path = TestEnvironment::Home() + '/' + name;
        QProcess sox;
        sox.start("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", path, "synth", seconds,
                          "sine", "220-1760", "sine", "330", "tremolo", "3", "60", "vol", "0.4"});
        EXPECT_TRUE(sox.waitForFinished(20000));
        EXPECT_EQ(sox.exitCode(), 0);
        return path;
    }
    // The dialog up and active, with the song loaded.
    void Show(const QString& song)
    {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Dlg()));
        Dlg()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Dlg()));
        Dlg()->LoadMusicFile(song);
        ASSERT_TRUE(TestEnvironment::WaitFor(
            [&] { return Dlg()->LoadedMusicPath() == song && !Dlg()->Editor()->IsOpening(); },
            30000));
        QTest::qWait(100);
    }
    QLineEdit* Field(int id) const { return qobject_cast<QLineEdit*>(Dlg()->Control(id)); }
    // Clicks into the field at its first character and types text over it.
    void Type(QLineEdit* field, const QString& text)
    {
        QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(4, field->height() / 2));
        ASSERT_TRUE(field->hasFocus());
        QTest::keyClick(field, Qt::Key_Home);
        QTest::keyClicks(field, text);
    }
};

TEST_F(KelvoCommandsX11, ALengthTypedWithEnterMovesTheEndAndLeavingAFieldAppliesIt)
{
    const QString song = MakeSong("song.wav", "30");
    ASSERT_EQ(Start(), CKelvoApp::Start::Run);
    Show(song);
    CBrevanta* editor = Dlg()->Editor();
    QLineEdit* start = Field(1015);
    QLineEdit* end = Field(1031);
    QLineEdit* length = Field(1030);

    Type(start, "00:03:00");
    Type(length, "00:12:00"); // leaving the start field applied it
    EXPECT_EQ(length->text(), "00:12:00");
    QTest::keyClick(length, Qt::Key_Return);
    EXPECT_TRUE(Dlg()->isVisible());
    EXPECT_FALSE(Dlg()->IsClosed());
    EXPECT_TRUE(length->hasFocus());
    EXPECT_EQ(end->text(), "00:15:00");
    EXPECT_EQ(editor->GetSelectionStart(), editor->MsToX(3000));
    EXPECT_EQ(editor->GetSelectionEnd(), editor->MsToX(3000 + 12000));

    // An end past the music, then a click into another field: the selection
    // ends at the music's end and keeps its length.
    Type(end, "00:45:00");
    QTest::mouseClick(start, Qt::LeftButton, {}, QPoint(4, start->height() / 2));
    const int64_t total = editor->GetMusicLength();
    EXPECT_EQ(end->text(), SelectionFields::FormatMs(total));
    EXPECT_EQ(start->text(), SelectionFields::FormatMs(total - 12000));
    EXPECT_EQ(editor->GetSelectionEnd(), editor->MsToX(total));
    EXPECT_EQ(editor->GetSelectionStart(), editor->MsToX(total - 12000));
}

TEST_F(KelvoCommandsX11, ASongPlayingWithItsLyricsAndSpectrum)
{
    const QString song = MakeSong("晚风.wav", "20");
    QFile lrc(TestEnvironment::Home() + "/晚风.lrc");
    ASSERT_TRUE(lrc.open(QIODevice::WriteOnly));
    lrc.write("[00:00.00]晚风轻轻吹过山岗\n[00:01.20]星光洒满小河旁\n"
              "[00:03.00]我在窗前把歌唱\n[00:06.00]唱给远方的姑娘\n");
    lrc.close();
    // The real players on the environment's sound driver.
    app = std::make_unique<CKelvoApp>(messages, questions, urls);
    ASSERT_EQ(app->InitInstance({}), CKelvoApp::Start::Run);
    Show(song);
    Dlg()->SetFileChooser([&](QWidget*, const QString&) { return lrc.fileName(); });
    qobject_cast<QPushButton*>(Dlg()->Control(111))->click();
    qobject_cast<QPushButton*>(Dlg()->Control(104))->click();
    ASSERT_TRUE(Dlg()->Editor()->IsPlaying());
    QTest::qWait(1800);
    auto* lyrics = Dlg()->findChild<CLyricsShow*>();
    auto* spectrum = Dlg()->findChild<CWaveShow*>();
    auto* clock = Dlg()->findChild<CTimerShow*>();
    EXPECT_TRUE(lyrics->IsPlaying());
    EXPECT_TRUE(spectrum->IsRunning());
    EXPECT_TRUE(clock->IsRunning());
    EXPECT_EQ(lyrics->GetCurrentText().trimmed(), QString::fromUtf8("星光洒满小河旁"));
    const QString folder = qEnvironmentVariable("ZUVO_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        const QRect frame = Dlg()->frameGeometry();
        EXPECT_TRUE(Dlg()
                        ->screen()
                        ->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height())
                        .save(folder + "/kelvo-playing.png"));
    }
    qobject_cast<QPushButton*>(Dlg()->Control(107))->click();
}

// The login that the ring library asks for, in the secondary dialogs' skin.
TEST_F(KelvoCommandsX11, TheLoginDialogIsSkinnedAndHasNoGroup)
{
    ASSERT_EQ(Start(), CKelvoApp::Start::Run);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Dlg()));
    bool shown = false;
    Dlg()->SetDialogRunner([&](QDialog& dialog) {
        auto* login = qobject_cast<CLoginDialog*>(&dialog);
        EXPECT_NE(login, nullptr);
        if (!login)
            return false;
        login->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(login));
        QTest::qWait(300);
        EXPECT_NE(CSkinWin::Of(login), nullptr);
        EXPECT_EQ(login->findChild<QGroupBox*>(), nullptr);
        const QString folder = qEnvironmentVariable("ZUVO_SCREENSHOT_DIR");
        if (!folder.isEmpty()) {
            QDir().mkpath(folder);
            const QRect frame = login->frameGeometry();
            login->screen()
                ->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height())
                .save(folder + "/kelvo-login-skinned.png");
        }
        shown = true;
        login->reject();
        return false;
    });
    EXPECT_FALSE(Dlg()->EnsureLoggedIn());
    EXPECT_TRUE(shown);
    EXPECT_FALSE(Dlg()->IsLoggedIn());
}

// The format line holds a line break; the panel draws it on its one line.
TEST_F(KelvoCommandsX11, TheFormatLineOfTheSongInformation)
{
    const QString song = MakeSong("测试 歌曲.wav", "12");
    ASSERT_EQ(Start(), CKelvoApp::Start::Run);
    Show(song);
    FakeTicks ticks;
    QWidget backdrop;
    backdrop.setStyleSheet("background: #eef2f6");
    backdrop.resize(320, 40);
    CSongInfoShow info(&backdrop, ticks.Source());
    info.setGeometry(10, 7, 290, 26);
    info.LoadSkin(Dlg()->ThemePath());
    const QStringList lines = Dlg()->SongInfo()->GetLines();
    ASSERT_EQ(lines.size(), 6);
    info.SetFileName(QString::fromUtf8("测试 歌曲"));
    info.SetLength("00:12");
    info.SetFormat(QString::fromUtf8("声道数:2\r\n采样率:44100"));
    info.StartScroll();
    backdrop.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&backdrop));
    // Well into the sixth line's time, risen to the middle.
    ticks.now += 5 * CSongInfoShow::kTicksPerLine * CSongInfoShow::kTickMs + 1000;
    info.OnTimer();
    EXPECT_EQ(info.GetCurrentLine(), 5);
    EXPECT_EQ(info.GetLines()[5], lines[5]);
    QTest::qWait(200);
    const QString folder = qEnvironmentVariable("ZUVO_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        backdrop.grab().save(folder + "/kelvo-song-format.png");
    }
}

} // namespace
