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
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/types.h>

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

// Names in folder that start with prefix.
QStringList Entries(const QString& folder, const QString& prefix)
{
    return QDir(folder).entryList({prefix + "*"}, QDir::AllEntries | QDir::NoDotAndDotDot);
}

// The real program with its sound device open and a clip in its store, as a
// session logout or kill ends it: at once, through the normal exit, which
// removes the sample stores and the working folder.
TEST(BrevantaApp, TermEndsTheProgramWithItsSoundDeviceOpen)
{
    const QString song = TestEnvironment::Home() + "/song.wav";
    ASSERT_TRUE(IndexedClip(44100)->WriteWaveFile(song));
    for (const int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        const QString temp = TestEnvironment::Home() + QString("/tmp%1").arg(signal);
        ASSERT_TRUE(QDir().mkpath(temp));
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TMPDIR", temp);
        program.setProcessEnvironment(environment);
        program.start(BREVANTA_EXE, {song});
        ASSERT_TRUE(program.waitForStarted());
        // The sound library's mixing thread runs once the device is open; the
        // clip is in a store once the open's working folder is gone again.
        ASSERT_TRUE(TestEnvironment::WaitFor(
            [&] {
                const QStringList stores = Entries(temp, "zuvo-");
                return HasThread(program.processId(), "SDLAudio") && stores.size() == 1 &&
                       !Entries(temp + '/' + stores[0], "~KELVO").isEmpty();
            },
            20000));
        ASSERT_EQ(Entries(DataFolder(), "~work-").size(), 1);
        kill(static_cast<pid_t>(program.processId()), signal);
        // A bound that only a hang passes: a sanitized exit on a busy machine
        // takes seconds, and how fast it is belongs to no test.
        const bool ended = program.waitForFinished(30000);
        if (!ended) {
            program.kill();
            program.waitForFinished();
        }
        ASSERT_TRUE(ended) << "the signal was ignored";
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << "ended through its exit";
        EXPECT_EQ(program.exitCode(), 128 + signal) << "the status of a process the signal ended";
        EXPECT_EQ(Entries(temp, "zuvo-"), QStringList()) << "sample stores removed";
        EXPECT_EQ(Entries(DataFolder(), "~work-"), QStringList()) << "working folder removed";
    }
}

} // namespace
