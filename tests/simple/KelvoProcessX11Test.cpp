// The kelvo program itself, started as a user or the desktop starts it, on a
// private X server: the registration switches without a display, a second
// start, a start after a killed one, and the end by a signal.
#include "tests/simple/KelvoFixture.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcessEnvironment>
#include <QTest>

#include <sys/stat.h>

#include <csignal>
#include <cstdio>

namespace {

struct KelvoProgram : KelvoFixture
{
    // The kelvo program with this test's folders.
    static void Prepare(QProcess& kelvo, const QStringList& args, bool display = true)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!display) {
            env.remove("DISPLAY");
            env.remove("WAYLAND_DISPLAY");
            env.remove("QT_QPA_PLATFORM");
        }
        kelvo.setProcessEnvironment(env);
        kelvo.setProgram(QStringLiteral(KELVO_PROGRAM));
        kelvo.setArguments(args);
        kelvo.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }
    static int Run(const QStringList& args, bool display = true)
    {
        QProcess kelvo;
        Prepare(kelvo, args, display);
        kelvo.start();
        EXPECT_TRUE(kelvo.waitForFinished(30000)) << args.join(' ').toStdString();
        EXPECT_EQ(kelvo.exitStatus(), QProcess::NormalExit);
        return kelvo.exitCode();
    }
    static QString SocketPath()
    {
        return TestEnvironment::RuntimeDir() + "/MERIDALE_TORQUELL_RIVURIZUD_ZUVO";
    }
    // Starts kelvo and waits until it holds the instance name and wrote its
    // settings (its dialog is up then).
    static void StartAndWait(QProcess& kelvo)
    {
        Prepare(kelvo, {});
        kelvo.start();
        ASSERT_TRUE(kelvo.waitForStarted(10000));
        ASSERT_TRUE(TestEnvironment::WaitFor(
            [&] { return QFileInfo::exists(SocketPath()) && Conf().value("SubVer") == "11"; },
            30000));
        QTest::qWait(300);
    }
};

TEST_F(KelvoProgram, RegistrationNeedsNoDisplayAndTheBusFindsTheService)
{
    for (const char* word : {"-Regserver", "/Regserver", "--regserver"}) {
        QFile::remove(CKelvoApp::ActivationFilePath());
        EXPECT_EQ(Run({QString::fromLatin1(word)}, false), 0) << word;
        EXPECT_TRUE(QFileInfo::exists(CKelvoApp::ActivationFilePath())) << word;
    }
    // A bus of its own, which looks for services in the data home as every
    // session bus does.
    QProcess bus;
    bus.start("dbus-run-session",
              {"--", "dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
               "/org/freedesktop/DBus", "org.freedesktop.DBus.ListActivatableNames"});
    ASSERT_TRUE(bus.waitForFinished(30000));
    const QByteArray names = bus.readAllStandardOutput();
    EXPECT_TRUE(names.contains("\"org.zuvo.Kelvo\"")) << names.toStdString();

    EXPECT_EQ(Run({"-Unregserver"}, false), 0);
    EXPECT_FALSE(QFileInfo::exists(CKelvoApp::ActivationFilePath()));
    EXPECT_FALSE(QFileInfo::exists(TestEnvironment::DataHome() + "/VazoZedu"))
        << "the switches end before anything else";
}

TEST_F(KelvoProgram, ASecondStartEndsAtOnceAndRestoresTheFirst)
{
    ASSERT_EQ(Start(), CKelvoApp::Start::Run);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Dlg()));
    Dlg()->showMinimized();
    QTest::qWait(200);
    QProcess second;
    Prepare(second, {});
    QElapsedTimer timer;
    timer.start();
    second.start();
    // It ends by itself; how fast is the machine's matter, not this test's:
    // it is printed.
    ASSERT_TRUE(
        TestEnvironment::WaitFor([&] { return second.state() == QProcess::NotRunning; }, 60000));
    std::printf("the second start ended after %lld ms\n", static_cast<long long>(timer.elapsed()));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(TestEnvironment::WaitFor([&] { return !Dlg()->isMinimized(); }));
    EXPECT_TRUE(Dlg()->isVisible());
}

TEST_F(KelvoProgram, AStartAfterAKilledOneRunsAndASignalEndsItThroughItsExit)
{
    // A volume outside the slider's range is clamped on screen and saved
    // clamped by the close routine, so the file tells that it ran.
    WriteConf("RecVol=-500\nMusicVol=-20\nMajorVer=1\nSubVer=11\n");
    QProcess first;
    StartAndWait(first);
    first.kill(); // SIGKILL: its socket stays behind
    ASSERT_TRUE(first.waitForFinished(10000));
    ASSERT_TRUE(QFileInfo::exists(SocketPath()));
    EXPECT_EQ(Conf().value("RecVol"), "-500");

    QProcess next;
    Prepare(next, {});
    next.start();
    ASSERT_TRUE(next.waitForStarted(10000));
    // It runs once it listens where the killed one left its socket.
    ASSERT_TRUE(TestEnvironment::WaitFor(
        [&] {
            QLocalSocket probe;
            probe.connectToServer(SocketPath());
            return next.state() == QProcess::Running && probe.waitForConnected(200);
        },
        60000))
        << "the stale name does not stop it";
    QTest::qWait(500);
    ASSERT_EQ(next.state(), QProcess::Running);

    ::kill(pid_t(next.processId()), SIGTERM);
    ASSERT_TRUE(next.waitForFinished(10000)) << "it ends at once";
    EXPECT_EQ(next.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(next.exitCode(), 128 + SIGTERM);
    const QMap<QString, QString> conf = Conf();
    EXPECT_EQ(conf.value("RecVol"), "-120");
    EXPECT_EQ(conf.value("MusicVol"), "-20");
    EXPECT_FALSE(QFileInfo::exists(SocketPath())) << "the name is given up";
}

// The interface as a list of its elements and their attributes, by Python's
// XML parser, from the XML on standard input or in a file.
QByteArray InterfaceOutline(const QString& xmlFile, const QByteArray& input = {})
{
    QProcess python;
    python.start("python3",
                 {"-c",
                  "import sys, xml.etree.ElementTree as ET\n"
                  "src = sys.argv[1]\n"
                  "root = ET.parse(src).getroot() if src else ET.fromstring(sys.stdin.read())\n"
                  "for i in root.iter('interface'):\n"
                  "    if i.get('name') == 'org.zuvo.Kelvo.IKelvoObject':\n"
                  "        for e in i.iter():\n"
                  "            print(e.tag, sorted(e.attrib.items()))\n",
                  xmlFile});
    python.write(input);
    python.closeWriteChannel();
    EXPECT_TRUE(python.waitForFinished(10000));
    return python.readAllStandardOutput();
}

TEST_F(KelvoProgram, TheSessionBusReachesTheRunningProgram)
{
    WriteConf("RecVol=-500\nMusicVol=-20\nMajorVer=1\nSubVer=11\n");
    // A session bus of the test's own.
    QProcess bus;
    bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    ASSERT_TRUE(bus.waitForReadyRead(10000));
    const QString address = QString::fromUtf8(bus.readLine().trimmed());
    ASSERT_FALSE(address.isEmpty());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DBUS_SESSION_BUS_ADDRESS", address);
    const auto client = [&env](const QString& program, const QStringList& args) {
        QProcess run;
        run.setProcessEnvironment(env);
        run.start(program, args);
        EXPECT_TRUE(run.waitForFinished(20000)) << args.join(' ').toStdString();
        EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
        return run.readAllStandardOutput();
    };
    const QStringList dest = {"--session", "--print-reply", "--dest=org.zuvo.Kelvo",
                              "/KelvoObject"};

    QProcess kelvo;
    Prepare(kelvo, {});
    kelvo.setProcessEnvironment(env);
    kelvo.start();
    ASSERT_TRUE(kelvo.waitForStarted(10000));
    ASSERT_TRUE(TestEnvironment::WaitFor(
        [&] {
            QProcess probe;
            probe.setProcessEnvironment(env);
            probe.start("dbus-send", {"--session", "--print-reply", "--dest=org.freedesktop.DBus",
                                      "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                                      "string:org.zuvo.Kelvo"});
            probe.waitForFinished(5000);
            return probe.readAllStandardOutput().contains("boolean true");
        },
        60000));

    // What the bus shows is the interface shipped beside the program.
    const QByteArray live = client("gdbus", {"introspect", "--session", "--xml", "-d",
                                             "org.zuvo.Kelvo", "-o", "/KelvoObject"});
    const QByteArray shipped = InterfaceOutline(QStringLiteral(KELVO_DBUS_XML));
    EXPECT_TRUE(shipped.contains("'Kelvo.KelvoObject.1'")) << shipped.toStdString();
    EXPECT_EQ(InterfaceOutline(QString(), live), shipped);

    // A FIFO is refused at once; the message it shows is a modal window,
    // which the close then ends before the close routine runs.
    const QString fifo = TestEnvironment::DataHome() + "/pipe";
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QElapsedTimer timer;
    timer.start();
    client("dbus-send",
           dest + QStringList{"org.zuvo.Kelvo.IKelvoObject.OpenFile", "string:" + fifo});
    EXPECT_LT(timer.elapsed(), 2000);
    TestEnvironment::WaitFor([] { return false; }, 1000);
    client("dbus-send", dest + QStringList{"org.zuvo.Kelvo.IKelvoObject.CloseApp"});
    ASSERT_TRUE(kelvo.waitForFinished(20000));
    EXPECT_EQ(kelvo.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(kelvo.exitCode(), 0) << "ended cleanly (the sanitizers found nothing)";
    EXPECT_EQ(Conf().value("RecVol"), "-120") << "the close routine saved the volumes";
    bus.kill();
    bus.waitForFinished(5000);
}

} // namespace
