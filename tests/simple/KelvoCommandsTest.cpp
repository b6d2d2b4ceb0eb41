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
#include "tests/publish/ServiceTestSupport.h"
#include "voice/Brevanta.h"
#include "voice/LyricsShow.h"
#include "voice/SongInfoShow.h"

#include <QGroupBox>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

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
    KeepScreenshot(*Dlg()->Browser(), "kelvo-materials");
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

} // namespace
