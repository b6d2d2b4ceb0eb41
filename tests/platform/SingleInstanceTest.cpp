#include "platform/SingleInstance.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

constexpr char kName[] = "ZUVO_TEST_INSTANCE";

// Starts a probe and waits for its first line.
QString StartProbe(QProcess& probe)
{
    probe.start(INSTANCE_PROBE, {kName});
    if (!probe.waitForStarted(5000) || !probe.waitForReadyRead(10000))
        return {};
    return QString::fromLatin1(probe.readLine()).trimmed();
}

QString RunSecondProbe(int* exitCode)
{
    QProcess second;
    second.start(INSTANCE_PROBE, {kName});
    second.waitForFinished(10000);
    *exitCode = second.exitCode();
    return QString::fromLatin1(second.readAllStandardOutput()).trimmed();
}

TEST(SingleInstance, SecondStartRaisesFirstAndEnds)
{
    QProcess first;
    ASSERT_EQ(StartProbe(first), "primary");

    int exitCode = -1;
    EXPECT_EQ(RunSecondProbe(&exitCode), "another");
    EXPECT_EQ(exitCode, 0);

    ASSERT_TRUE(first.waitForReadyRead(5000));
    EXPECT_EQ(QString::fromLatin1(first.readLine()).trimmed(), "raised");
    first.closeWriteChannel();
    EXPECT_TRUE(first.waitForFinished(5000));
    // A clean exit frees the name.
    QProcess next;
    EXPECT_EQ(StartProbe(next), "primary");
    next.kill();
    next.waitForFinished();
}

TEST(SingleInstance, KilledOwnerLeavesNameFree)
{
    QProcess first;
    ASSERT_EQ(StartProbe(first), "primary");
    first.kill(); // SIGKILL: the socket file stays behind
    first.waitForFinished();
    SingleInstance probePath{QString::fromLatin1(kName)};
    ASSERT_TRUE(QFile::exists(probePath.SocketPath()));

    QProcess second;
    EXPECT_EQ(StartProbe(second), "primary");
    int exitCode = -1;
    EXPECT_EQ(RunSecondProbe(&exitCode), "another");
    second.kill();
    second.waitForFinished();
}

TEST(SingleInstance, SocketIsPerUserRuntimeFolder)
{
    SingleInstance instance(QString::fromLatin1(kName));
    EXPECT_EQ(instance.SocketPath(), TestEnvironment::RuntimeDir() + "/" + kName);
    ASSERT_EQ(instance.Claim(), SingleInstance::Result::Primary);
    int raised = 0;
    QObject::connect(&instance, &SingleInstance::raiseRequested, [&] { ++raised; });
    QProcess second;
    second.start(INSTANCE_PROBE, {kName});
    // The probe blocks in its own process while this one serves the request.
    EXPECT_TRUE(TestEnvironment::WaitFor([&] { return raised == 1; }));
    // The event loop above may already have seen the probe end.
    ASSERT_TRUE(second.state() == QProcess::NotRunning || second.waitForFinished(5000));
    EXPECT_EQ(second.readAllStandardOutput().trimmed(), "another");
}

} // namespace
