#include "editor/BrevantaApp.h"
#include "editor/MainFrame.h"
#include "editor/WaveCtrl.h"
#include "tests/support/ClipFixtures.h"
#include "platform/IMessageSink.h"
#include "platform/SingleInstance.h"
#include "tests/support/TestEnvironment.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

class RecordingSink : public IMessageSink
{
public:
    void ShowMessage(const QString& text) override { messages << text; }
    QStringList messages;
};

QString DataFolder()
{
    return TestEnvironment::DataHome() + "/VazoZedu";
}

// Whether the process runs a thread whose name starts with prefix.
bool HasThread(qint64 pid, const QByteArray& prefix)
{
    QDirIterator tasks(QString("/proc/%1/task").arg(pid), QDir::Dirs | QDir::NoDotAndDotDot);
    while (tasks.hasNext()) {
        QFile name(tasks.next() + "/comm");
        if (name.open(QIODevice::ReadOnly) && name.readAll().startsWith(prefix))
            return true;
    }
    return false;
}

TEST(BrevantaApp, SwitchesEndAtOnceWithoutTouchingTheDataFolder)
{
    for (const char* word : {"/Regserver", "-unregserver", "--Embedding", "/AUTOMATION"}) {
        RecordingSink sink;
        CBrevantaApp app(sink);
        EXPECT_EQ(app.InitInstance({word}), CBrevantaApp::Start::ExitOk) << word;
        EXPECT_EQ(app.MainFrame(), nullptr) << word;
        EXPECT_TRUE(sink.messages.isEmpty()) << word;
        EXPECT_FALSE(QFileInfo::exists(DataFolder())) << word;
    }
}

TEST(BrevantaApp, StartsWithFoldersAndKeepsTheNamedFile)
{
    RecordingSink sink;
    CBrevantaApp app(sink);
    const QString song = TestEnvironment::Home() + "/a b.wav";
    ASSERT_TRUE(IndexedClip(4410)->WriteWaveFile(song));
    ASSERT_EQ(app.InitInstance({song}), CBrevantaApp::Start::Run);
    EXPECT_TRUE(QFileInfo(DataFolder()).isDir());
    EXPECT_EQ(app.GetDataFolder(), DataFolder() + "/");
    EXPECT_TRUE(app.GetExeFolder().endsWith('/'));
    ASSERT_NE(app.MainFrame(), nullptr);
    // The file named on the command line opens on a new track at 0 ms.
    CWaveCtrl* ctrl = app.MainFrame()->WaveCtrl();
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return ctrl->GetTrackCount() == 1; }));
    EXPECT_EQ(ctrl->GetTrack(0)->GetClip(0)->GetDuration(), 100u);
    EXPECT_TRUE(sink.messages.isEmpty());
    EXPECT_EQ(app.MainFrame()->windowTitle(), QStringLiteral("Varenth彩铃Zuvo高级版"));
    EXPECT_EQ(app.ExitInstance(0), 0);
}

// Qt's own texts in standard buttons and file dialogs follow the program's language.
TEST(BrevantaApp, QtsOwnTextsAreChinese)
{
    RecordingSink sink;
    CBrevantaApp app(sink);
    ASSERT_EQ(app.InitInstance({}), CBrevantaApp::Start::Run);
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
    EXPECT_EQ(buttons.button(QDialogButtonBox::Ok)->text(), QStringLiteral("确定"));
    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog);
    auto* lookIn = files.findChild<QLabel*>(QStringLiteral("lookInLabel"));
    ASSERT_NE(lookIn, nullptr);
    EXPECT_EQ(lookIn->text(), QStringLiteral("查找范围："));
    EXPECT_EQ(app.ExitInstance(0), 0);
}

TEST(BrevantaApp, AFileInPlaceOfTheDataFolderIsReported)
{
    QFile blocker(DataFolder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    RecordingSink sink;
    CBrevantaApp app(sink);
    EXPECT_EQ(app.InitInstance({}), CBrevantaApp::Start::ExitFail);
    ASSERT_EQ(sink.messages.size(), 1);
    EXPECT_EQ(sink.messages[0],
              QStringLiteral("错误！目录『%1』不存在，\r\n且目录创建失败！").arg(DataFolder()));
    EXPECT_EQ(app.MainFrame(), nullptr);
}

// The real program, as a user starts it twice.
TEST(BrevantaApp, SecondProgramRaisesTheFirstAndExitsZero)
{
    QProcess first;
    first.start(BREVANTA_EXE, {});
    ASSERT_TRUE(first.waitForStarted());
    SingleInstance name(QString::fromLatin1(CBrevantaApp::kInstanceName));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return QFile::exists(name.SocketPath()); }, 20000));

    QProcess second;
    second.start(BREVANTA_EXE, {"/home/u/other.wav"});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    // Killed without cleaning up: the next start takes over.
    first.kill();
    first.waitForFinished();
    QProcess third;
    third.start(BREVANTA_EXE, {});
    ASSERT_TRUE(third.waitForStarted());
    EXPECT_FALSE(third.waitForFinished(3000)) << "the third start must keep running";
    third.terminate();
    third.waitForFinished(10000);
}

// The real program with its sound device open, as a session logout or kill
// ends it.
TEST(BrevantaApp, TermEndsTheProgramWithItsSoundDeviceOpen)
{
    QProcess program;
    program.start(BREVANTA_EXE, {});
    ASSERT_TRUE(program.waitForStarted());
    // The sound library's mixing thread runs once the device is open.
    ASSERT_TRUE(TestEnvironment::WaitFor(
        [&] { return HasThread(program.processId(), "SDLAudio"); }, 20000));
    QElapsedTimer timer;
    timer.start();
    program.terminate();
    const bool ended = program.waitForFinished(5000);
    if (!ended) {
        program.kill();
        program.waitForFinished();
    }
    ASSERT_TRUE(ended) << "SIGTERM was ignored";
    EXPECT_LT(timer.elapsed(), 1000);
}

} // namespace
